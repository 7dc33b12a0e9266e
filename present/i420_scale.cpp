#include "present/i420_scale.h"

#include <algorithm>
#include <cstring>

namespace present {
namespace {

// Where output sample i of n falls in a source of m samples: the left
// neighbour and the weight of the right one in 1/256, centres aligned.
struct Tap {
  int index;
  int weight;
};

std::vector<Tap> Taps(int n, int m) {
  std::vector<Tap> taps(size_t(std::max(n, 0)));
  for (int i = 0; i < n; ++i) {
    // (i + 0.5) * m / n - 0.5 in 1/256 steps.
    const int64_t pos = (int64_t(2 * i + 1) * m * 256) / (2 * int64_t(n)) - 128;
    const int64_t clamped = std::clamp<int64_t>(pos, 0, int64_t(m - 1) * 256);
    taps[size_t(i)] = {int(clamped >> 8), int(clamped & 255)};
  }
  return taps;
}

}  // namespace

void ScalePlane(const uint8_t* src, int sw, int sh, uint8_t* dst, int dw, int dh) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  const std::vector<Tap> xs = Taps(dw, sw), ys = Taps(dh, sh);
  std::vector<uint16_t> row(size_t(dw) * 2);  // the two source rows, scaled across, x256
  uint16_t* upper = row.data();
  uint16_t* lower = row.data() + dw;
  auto across = [&](int y, uint16_t* out) {
    const uint8_t* s = src + size_t(y) * sw;
    for (int x = 0; x < dw; ++x) {
      const Tap t = xs[size_t(x)];
      const int right = t.index + 1 < sw ? s[t.index + 1] : s[t.index];
      out[x] = uint16_t(s[t.index] * (256 - t.weight) + right * t.weight);
    }
  };
  int have_upper = -1, have_lower = -1;
  for (int y = 0; y < dh; ++y) {
    const Tap t = ys[size_t(y)];
    const int below = std::min(t.index + 1, sh - 1);
    if (have_upper != t.index) {
      if (have_lower == t.index) {
        std::swap(upper, lower);
        have_upper = t.index;
        have_lower = -1;
      } else {
        across(t.index, upper);
        have_upper = t.index;
      }
    }
    if (have_lower != below) {
      across(below, lower);
      have_lower = below;
    }
    uint8_t* d = dst + size_t(y) * dw;
    const uint32_t wl = uint32_t(t.weight), wu = 256 - wl;
    for (int x = 0; x < dw; ++x) d[x] = uint8_t((upper[x] * wu + lower[x] * wl + 32768) >> 16);
  }
}

codec::DecodedPicture ScaleI420(const codec::DecodedPicture& in, int width, int height, std::vector<uint8_t>* out) {
  codec::DecodedPicture scaled{nullptr, width, height};
  out->resize(scaled.Size());
  scaled.data = out->data();
  if (in.width == width && in.height == height) {
    std::memcpy(scaled.data, in.data, scaled.Size());
    return scaled;
  }
  ScalePlane(in.Y(), in.width, in.height, scaled.Y(), width, height);
  ScalePlane(in.U(), in.width / 2, in.height / 2, scaled.U(), width / 2, height / 2);
  ScalePlane(in.V(), in.width / 2, in.height / 2, scaled.V(), width / 2, height / 2);
  return scaled;
}

}  // namespace present
