// Separable fast integer 8x8 inverse DCT (Chen-Wang butterflies with 11-bit
// cosine constants). Rows whose AC terms are zero and columns with a lone first
// value take the short path; outputs are clipped to -256..255.
#include <cstdint>

#include "codec/video/kernels/kernel_table.h"

namespace codec::video {
namespace {

constexpr int W1 = 2841;  // 2048*sqrt(2)*cos(1*pi/16)
constexpr int W2 = 2676;  // 2048*sqrt(2)*cos(2*pi/16)
constexpr int W3 = 2408;  // 2048*sqrt(2)*cos(3*pi/16)
constexpr int W5 = 1609;  // 2048*sqrt(2)*cos(5*pi/16)
constexpr int W6 = 1108;  // 2048*sqrt(2)*cos(6*pi/16)
constexpr int W7 = 565;   // 2048*sqrt(2)*cos(7*pi/16)

// The 1/sqrt(2) rotation. Coded blocks stay far inside 32 bits; hostile ones
// wrap (defined, and the same in every kernel set) instead of overflowing.
inline int Rotate(int v) { return static_cast<int>(181u * static_cast<uint32_t>(v) + 128u) >> 8; }

inline int16_t ClipIdct(int v) { return static_cast<int16_t>(v < -256 ? -256 : (v > 255 ? 255 : v)); }

void Row(int16_t* b) {
  int x1 = b[4] * 2048, x2 = b[6], x3 = b[2], x4 = b[1], x5 = b[7], x6 = b[5], x7 = b[3];
  if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
    int16_t v = static_cast<int16_t>(b[0] * 8);
    for (int i = 0; i < 8; ++i) b[i] = v;
    return;
  }
  int x0 = b[0] * 2048 + 128;
  int x8 = W7 * (x4 + x5);
  x4 = x8 + (W1 - W7) * x4;
  x5 = x8 - (W1 + W7) * x5;
  x8 = W3 * (x6 + x7);
  x6 = x8 - (W3 - W5) * x6;
  x7 = x8 - (W3 + W5) * x7;
  x8 = x0 + x1;
  x0 -= x1;
  x1 = W6 * (x3 + x2);
  x2 = x1 - (W2 + W6) * x2;
  x3 = x1 + (W2 - W6) * x3;
  x1 = x4 + x6;
  x4 -= x6;
  x6 = x5 + x7;
  x5 -= x7;
  x7 = x8 + x3;
  x8 -= x3;
  x3 = x0 + x2;
  x0 -= x2;
  x2 = Rotate(x4 + x5);
  x4 = Rotate(x4 - x5);
  b[0] = static_cast<int16_t>((x7 + x1) >> 8);
  b[1] = static_cast<int16_t>((x3 + x2) >> 8);
  b[2] = static_cast<int16_t>((x0 + x4) >> 8);
  b[3] = static_cast<int16_t>((x8 + x6) >> 8);
  b[4] = static_cast<int16_t>((x8 - x6) >> 8);
  b[5] = static_cast<int16_t>((x0 - x4) >> 8);
  b[6] = static_cast<int16_t>((x3 - x2) >> 8);
  b[7] = static_cast<int16_t>((x7 - x1) >> 8);
}

void Column(int16_t* b) {
  int x1 = b[8 * 4] * 256, x2 = b[8 * 6], x3 = b[8 * 2], x4 = b[8 * 1], x5 = b[8 * 7],
      x6 = b[8 * 5], x7 = b[8 * 3];
  if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
    int16_t v = ClipIdct((b[0] + 32) >> 6);
    for (int i = 0; i < 8; ++i) b[8 * i] = v;
    return;
  }
  int x0 = b[0] * 256 + 8192;
  int x8 = W7 * (x4 + x5) + 4;
  x4 = (x8 + (W1 - W7) * x4) >> 3;
  x5 = (x8 - (W1 + W7) * x5) >> 3;
  x8 = W3 * (x6 + x7) + 4;
  x6 = (x8 - (W3 - W5) * x6) >> 3;
  x7 = (x8 - (W3 + W5) * x7) >> 3;
  x8 = x0 + x1;
  x0 -= x1;
  x1 = W6 * (x3 + x2) + 4;
  x2 = (x1 - (W2 + W6) * x2) >> 3;
  x3 = (x1 + (W2 - W6) * x3) >> 3;
  x1 = x4 + x6;
  x4 -= x6;
  x6 = x5 + x7;
  x5 -= x7;
  x7 = x8 + x3;
  x8 -= x3;
  x3 = x0 + x2;
  x0 -= x2;
  x2 = Rotate(x4 + x5);
  x4 = Rotate(x4 - x5);
  b[8 * 0] = ClipIdct((x7 + x1) >> 14);
  b[8 * 1] = ClipIdct((x3 + x2) >> 14);
  b[8 * 2] = ClipIdct((x0 + x4) >> 14);
  b[8 * 3] = ClipIdct((x8 + x6) >> 14);
  b[8 * 4] = ClipIdct((x8 - x6) >> 14);
  b[8 * 5] = ClipIdct((x0 - x4) >> 14);
  b[8 * 6] = ClipIdct((x3 - x2) >> 14);
  b[8 * 7] = ClipIdct((x7 - x1) >> 14);
}

}  // namespace

void IdctPlain(int16_t* block) {
  for (int i = 0; i < 8; ++i) Row(block + 8 * i);
  for (int i = 0; i < 8; ++i) Column(block + i);
}

}  // namespace codec::video
