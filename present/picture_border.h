#pragma once
// The frame a renderer paints into the picture itself: two luma samples wide
// (the two top and bottom rows and the two outer columns on each side) and
// one chroma sample wide, in a Windows COLORREF converted to studio-range
// YCbCr.
#include <cstdint>

#include "codec/video/video_decoder.h"
#include "present/render_modes.h"

namespace present {

struct YCbCr {
  uint8_t y, cb, cr;
};

YCbCr BorderColour(ColorRef colour);
void PaintBorder(const codec::DecodedPicture& picture, ColorRef colour);

}  // namespace present
