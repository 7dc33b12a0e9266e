#include "skin/pixel_scale.h"

#include <cstddef>

namespace skin {

int ScaledLength(int length, int percent) {
  return static_cast<int>((static_cast<int64_t>(length) * percent + 50) / 100);
}

std::vector<uint32_t> ScalePixels(const std::vector<uint32_t>& pixels, int width, int height, int percent,
                                  int* scaled_width, int* scaled_height) {
  const int w = width > 0 ? ScaledLength(width, percent) : 0;
  const int h = height > 0 ? ScaledLength(height, percent) : 0;
  *scaled_width = w;
  *scaled_height = h;
  std::vector<uint32_t> out(static_cast<size_t>(w) * static_cast<size_t>(h));
  if (pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height) || w == 0 || h == 0) {
    out.clear();
    *scaled_width = *scaled_height = 0;
    return out;
  }
  // The source pixel under each output pixel's centre.
  for (int y = 0; y < h; ++y) {
    const int sy = static_cast<int>(((2 * static_cast<int64_t>(y) + 1) * height) / (2 * static_cast<int64_t>(h)));
    for (int x = 0; x < w; ++x) {
      const int sx = static_cast<int>(((2 * static_cast<int64_t>(x) + 1) * width) / (2 * static_cast<int64_t>(w)));
      out[static_cast<size_t>(y) * w + x] = pixels[static_cast<size_t>(sy) * width + sx];
    }
  }
  return out;
}

}  // namespace skin
