#include "present/picture_border.h"

#include <cstddef>
#include <cstring>

namespace present {

namespace {

// A frame `thick` samples wide around a plane of width x height.
void Frame(uint8_t* plane, int width, int height, int thick, uint8_t value) {
  if (width <= 0 || height <= 0) return;
  const int rows = thick < height ? thick : height;
  for (int r = 0; r < rows; ++r) {
    std::memset(plane + ptrdiff_t(r) * width, value, size_t(width));
    std::memset(plane + ptrdiff_t(height - 1 - r) * width, value, size_t(width));
  }
  const int cols = thick < width ? thick : width;
  for (int r = 0; r < height; ++r) {
    uint8_t* row = plane + ptrdiff_t(r) * width;
    std::memset(row, value, size_t(cols));
    std::memset(row + width - cols, value, size_t(cols));
  }
}

uint8_t Byte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

YCbCr BorderColour(ColorRef colour) {
  const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  YCbCr c;
  c.y = Byte((16829 * r + 33039 * g + 6416 * b + (1 << 20)) >> 16);
  c.cb = Byte((28784 * b - 19070 * g - 9714 * r + (1 << 23)) >> 16);
  c.cr = Byte((28784 * r - 24103 * g - 4681 * b + (1 << 23)) >> 16);
  return c;
}

void PaintBorder(const codec::DecodedPicture& picture, ColorRef colour) {
  if (!picture.data) return;
  const YCbCr c = BorderColour(colour);
  Frame(picture.Y(), picture.width, picture.height, 2, c.y);
  Frame(picture.U(), picture.width / 2, picture.height / 2, 1, c.cb);
  Frame(picture.V(), picture.width / 2, picture.height / 2, 1, c.cr);
}

}  // namespace present
