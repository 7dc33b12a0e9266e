#pragma once
// I420 to RGB for the DIB path and snapshots: table-driven full-range
// conversion, each chroma sample serving a 2x2 block of luma samples.
#include <cstdint>

namespace present {

// Writes 24-bit B, G, R pixels, rows from the bottom of `out` upwards (the
// order of a bottom-up DIB), each row `stride` bytes apart (at least 3 * width).
void I420ToBgr24BottomUp(const uint8_t* y, const uint8_t* u, const uint8_t* v, int width, int height, uint8_t* out,
                         int stride);

}  // namespace present
