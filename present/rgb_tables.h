#pragma once
// Full-range YCbCr to RGB, table-driven:
//   R = Y + 1.402 (Cr - 128), G = Y - 0.344 (Cb - 128) - 0.714 (Cr - 128),
//   B = Y + 1.772 (Cb - 128), each clipped to 0..255.
// Each chroma term is rounded on its own: the factor is held in 1/1024ths
// (1436, 352, 731, 1815) and term = (factor * (C - 128) + 512) >> 10, that is
// rounded to nearest with halves upwards. The SSE2 converters compute the same
// integers, so both give identical pixels.
#include <cstdint>

namespace present {

constexpr int kRFromCr = 1436;   // 1.402 * 1024
constexpr int kGFromCb = -352;   // -0.344 * 1024
constexpr int kGFromCr = -731;   // -0.714 * 1024
constexpr int kBFromCb = 1815;   // 1.772 * 1024

constexpr int ChromaTerm(int factor, int sample) { return (factor * (sample - 128) + 512) >> 10; }

struct RgbTables {
  int16_t rCr[256], gCb[256], gCr[256], bCb[256];
};

const RgbTables& YuvToRgbTables();

inline uint8_t ClipByte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace present
