#pragma once
// A skin at a display's scale: lengths and pictures grown by the display's
// DPI as a percentage of 96. Pictures grow by repeating whole pixels, never
// by blending neighbours, so their edges stay as sharp as they were drawn
// (at 150 % every other pixel is doubled).
#include <cstdint>
#include <vector>

namespace skin {

// A length in the skin's pixels at `percent`.
int ScaledLength(int length, int percent);

// A picture of 32-bit pixels, `width` x `height`, rows in either order (the
// output keeps it); each output pixel is the source pixel it falls on.
std::vector<uint32_t> ScalePixels(const std::vector<uint32_t>& pixels, int width, int height, int percent,
                                  int* scaled_width, int* scaled_height);

}  // namespace skin
