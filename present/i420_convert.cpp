#include "present/i420_convert.h"

#include <cmath>

namespace present {
namespace {

struct Tables {
  int r_cr[256], g_cb[256], g_cr[256], b_cb[256];
  Tables() {
    for (int i = 0; i < 256; ++i) {
      const double c = i - 128;
      r_cr[i] = static_cast<int>(std::lround(1.402 * c));
      g_cb[i] = static_cast<int>(std::lround(-0.344 * c));
      g_cr[i] = static_cast<int>(std::lround(-0.714 * c));
      b_cb[i] = static_cast<int>(std::lround(1.772 * c));
    }
  }
};

const Tables& ConversionTables() {
  static const Tables tables;
  return tables;
}

inline uint8_t Clip(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

void I420ToBgr24BottomUp(const uint8_t* y, const uint8_t* u, const uint8_t* v, int width, int height, uint8_t* out,
                         int stride) {
  const Tables& t = ConversionTables();
  const int chroma_width = width / 2;
  for (int row = 0; row < height; ++row) {
    uint8_t* dst = out + static_cast<long>(height - 1 - row) * stride;
    const uint8_t* ys = y + static_cast<long>(row) * width;
    const uint8_t* us = u + static_cast<long>(row / 2) * chroma_width;
    const uint8_t* vs = v + static_cast<long>(row / 2) * chroma_width;
    for (int x = 0; x < width; ++x) {
      const int cb = us[x / 2], cr = vs[x / 2], luma = ys[x];
      dst[3 * x + 0] = Clip(luma + t.b_cb[cb]);
      dst[3 * x + 1] = Clip(luma + t.g_cb[cb] + t.g_cr[cr]);
      dst[3 * x + 2] = Clip(luma + t.r_cr[cr]);
    }
  }
}

}  // namespace present
