#pragma once
// What a renderer's surface holds: a FOURCC code for the YUV surfaces, or one
// of the small numbers for the RGB surfaces and the DIB path.
#include <cstdint>

namespace present {

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

constexpr uint32_t kFourccYV12 = MakeFourCC('Y', 'V', '1', '2');
constexpr uint32_t kFourccI420 = MakeFourCC('I', '4', '2', '0');
constexpr uint32_t kFourccIYUV = MakeFourCC('I', 'Y', 'U', 'V');
constexpr uint32_t kFourccYVU9 = MakeFourCC('Y', 'V', 'U', '9');
constexpr uint32_t kFourccYUY2 = MakeFourCC('Y', 'U', 'Y', '2');
constexpr uint32_t kFourccUYVY = MakeFourCC('U', 'Y', 'V', 'Y');

enum RenderMode : uint32_t {
  kModeNone = 0,
  kModeRgb565 = 1,
  kModeRgb555 = 2,
  kModeRgb24 = 3,  // a 24-bit RGB surface: recognised and refused
  kModeRgb32 = 4,
  kModeDib = 5,
  // Not a DirectDraw mode: 32-bit top-down pixels drawn with GDI straight
  // onto the window, for users who turn DirectDraw off (see WindowRenderer).
  kModeGdi = 6,
};

// A rectangle in screen (or window) coordinates, right and bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// COLORREF layout: 0x00BBGGRR.
using ColorRef = uint32_t;
constexpr ColorRef kBorderRed = 0x0000FF;
constexpr ColorRef kBorderYellow = 0x00FFFF;
constexpr ColorRef kBorderAmber = 0x00A5FF;  // a motion in the picture

}  // namespace present
