// The post-filter kernels against the filter's definition: the plain and the
// processor-specific filter on the same seeded random pictures and quantisers,
// each compared with a slow reference that filters every horizontal edge of a
// plane before any vertical one, with guard bytes around the output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "codec/video/kernels/kernel_table.h"
#include "codec/video/postfilter/post_filter.h"

namespace codec::video {
namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr int kGuardBytes = 64;

// A padded source picture like the decoder's, with its quantisers.
struct Picture {
  int width = 0, height = 0;
  int strides[3] = {};
  std::vector<uint8_t> planes[3];
  std::vector<uint8_t> quant;

  Picture(int w, int h, int pad) : width(w), height(h) {
    for (int i = 0; i < 3; ++i) {
      strides[i] = (i ? w / 2 : w) + pad;
      planes[i].assign(size_t(strides[i]) * (i ? h / 2 : h), 0);
    }
    quant.assign(size_t(w / 16) * (h / 16), 1);
  }
  PostFilterArgs Args(uint8_t* out) const {
    PostFilterArgs a{};
    for (int i = 0; i < 3; ++i) {
      a.planes[i] = planes[i].data();
      a.strides[i] = strides[i];
    }
    a.out = out;
    a.width = width;
    a.height = height;
    a.mbQuant = quant.data();
    a.mbWidth = width / 16;
    return a;
  }
};

// The definition, slowly: copy, all horizontal edges top to bottom, then all
// vertical edges row by row, left to right.
std::vector<uint8_t> Reference(const Picture& pic) {
  std::vector<uint8_t> out;
  for (int i = 0; i < 3; ++i) {
    const int w = i ? pic.width / 2 : pic.width, h = i ? pic.height / 2 : pic.height, shift = i ? 3 : 4;
    std::vector<uint8_t> p(size_t(w) * h);
    for (int y = 0; y < h; ++y) std::memcpy(&p[size_t(y) * w], &pic.planes[i][size_t(y) * pic.strides[i]], w);
    auto qp = [&](int x, int y) { return pic.quant[(y >> shift) * (pic.width / 16) + (x >> shift)]; };
    for (int y = 8; y <= h - 8; y += 8)
      for (int x = 0; x < w; ++x) FilterEdgeSamples(&p[size_t(y - 5) * w + x], w, qp(x, y));
    for (int y = 0; y < h; ++y)
      for (int x = 8; x <= w - 8; x += 8) FilterEdgeSamples(&p[size_t(y) * w + x - 5], 1, qp(x, y));
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

// Runs one filter into a guarded buffer; returns "" or what went wrong.
std::string RunAndCompare(void (*filter)(const PostFilterArgs&), const Picture& pic,
                          const std::vector<uint8_t>& expected) {
  std::vector<uint8_t> buffer(expected.size() + 2 * kGuardBytes, kGuard);
  Picture before = pic;
  filter(pic.Args(buffer.data() + kGuardBytes));
  std::ostringstream why;
  for (int i = 0; i < kGuardBytes; ++i) {
    if (buffer[i] != kGuard || buffer[buffer.size() - 1 - i] != kGuard) {
      why << "wrote outside the picture";
      return why.str();
    }
  }
  for (int i = 0; i < 3; ++i)
    if (before.planes[i] != pic.planes[i]) return "changed the source picture";
  // Once more into a buffer of the exact size: under the address sanitizer a
  // read past the picture's end stops here.
  std::vector<uint8_t> exact(expected.size());
  filter(pic.Args(exact.data()));
  if (!std::equal(exact.begin(), exact.end(), buffer.begin() + kGuardBytes)) return "two runs differ";
  for (size_t k = 0; k < expected.size(); ++k) {
    if (buffer[kGuardBytes + k] == expected[k]) continue;
    // Name the plane and the sample's place relative to its block's edges.
    size_t at = k;
    int plane = 0, w = pic.width;
    const size_t luma = size_t(pic.width) * pic.height;
    if (at >= luma) {
      at -= luma;
      w = pic.width / 2;
      plane = 1 + int(at / (luma / 4));
      at %= luma / 4;
    }
    const int x = int(at % w), y = int(at / w);
    why << "plane " << plane << " sample (" << x << ", " << y << "), " << x % 8 << " right and " << y % 8
        << " below a block corner: " << int(buffer[kGuardBytes + k]) << " instead of " << int(expected[k]);
    return why.str();
  }
  return "";
}

// Blocks of different kinds side by side, so one vector of lanes mixes both
// modes, applied and refused: flat areas with small steps (the smoothing),
// mild and strong noise (the two-sample correction), hard edges, samples at
// both ends of the range, and ramps.
void FillBlocks(Picture& pic, std::mt19937& rng) {
  for (int i = 0; i < 3; ++i) {
    const int w = i ? pic.width / 2 : pic.width, h = i ? pic.height / 2 : pic.height;
    for (int by = 0; by < h; by += 8) {
      for (int bx = 0; bx < w; bx += 8) {
        const int kind = int(rng() % 7), base = int(rng() % 256), step = int(rng() % 4);
        for (int y = by; y < by + 8; ++y) {
          for (int x = bx; x < bx + 8; ++x) {
            int v = base;
            switch (kind) {
              case 0: v = base + (x - bx >= 4 ? step : 0); break;
              case 1: v = base + int(rng() % 5) - 2; break;
              case 2: v = base + int(rng() % 25) - 12; break;
              case 3: v = int(rng() % 256); break;
              case 4: v = (x + y) % 16 < 8 ? 20 : 220; break;
              // Both ends of the range side by side: 0 and 255 differ by 255, not by 1.
              case 5: v = rng() % 6 ? 253 + int(rng() % 3) : int(rng() % 2); break;
              default: v = base + (x - bx) * step - (y - by); break;
            }
            pic.planes[i][size_t(y) * pic.strides[i] + x] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
          }
        }
      }
    }
  }
}

class PostFilterKernels : public ::testing::Test {
 protected:
  void SetUp() override {
    const CpuFeatures cpu = DetectCpuFeatures();
    haveFast_ = cpu.sse2;
    SelectKernels(fast_, cpu);
  }
  // Both filters against the definition.
  void Check(const Picture& pic, const std::string& what) {
    const std::vector<uint8_t> expected = Reference(pic);
    std::string plain = RunAndCompare(PostFilterPlain, pic, expected);
    ASSERT_EQ(plain, "") << "plain filter, " << what;
    if (!haveFast_) return;
    std::string fast = RunAndCompare(fast_.postFilter, pic, expected);
    ASSERT_EQ(fast, "") << "SSE2 filter, " << what;
  }
  bool haveFast_ = false;
  KernelTable fast_{};
};

TEST_F(PostFilterKernels, RandomPicturesAndQuantisersOfManySizes) {
  if (!haveFast_) std::printf("no SSE2 on this processor: the plain filter alone is checked\n");
  const uint32_t seed = 20240611;
  std::mt19937 rng(seed);
  // One macroblock, odd macroblock counts (chroma 8 modulo 16 wide), a row or
  // a column of macroblocks, and random sizes.
  std::vector<std::pair<int, int>> sizes = {{16, 16}, {32, 16}, {16, 64}, {48, 32}, {80, 48}, {176, 144}, {352, 32}};
  for (int i = 0; i < 40; ++i) sizes.push_back({16 * (1 + int(rng() % 14)), 16 * (1 + int(rng() % 10))});
  int iteration = 0;
  for (const auto& [w, h] : sizes) {
    for (int round = 0; round < 3; ++round, ++iteration) {
      Picture pic(w, h, 32 + int(rng() % 3) * 8);
      FillBlocks(pic, rng);
      for (auto& q : pic.quant) q = uint8_t(round == 0 ? (rng() % 2 ? 1 : 31) : 1 + rng() % 31);
      std::ostringstream what;
      what << "seed " << seed << " iteration " << iteration << ", " << w << "x" << h;
      Check(pic, what.str());
      if (HasFatalFailure()) return;
    }
  }
}

// A smooth picture of small steps, disturbed at one place in every block: for
// each of the 64 places the disturbance falls at another sample of the edges'
// windows, flipping their decisions (and, next to an edge, the overlap where
// one edge reads what the edge before it wrote).
TEST_F(PostFilterKernels, DisturbanceAtEveryPlaceInTheBlock) {
  std::mt19937 rng(7);
  for (int dy = 0; dy < 8; ++dy) {
    for (int dx = 0; dx < 8; ++dx) {
      Picture pic(80, 48, 32);
      for (int i = 0; i < 3; ++i) {
        const int w = i ? 40 : 80, h = i ? 24 : 48;
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            pic.planes[i][size_t(y) * pic.strides[i] + x] =
                uint8_t(100 + (x / 8) % 3 + (y / 8) % 2 + ((x % 8 == dx && y % 8 == dy) ? int(rng() % 9) - 4 : 0));
      }
      for (auto& q : pic.quant) q = uint8_t(1 + rng() % 4);
      Check(pic, "disturbance " + std::to_string(dx) + " right and " + std::to_string(dy) + " below each corner");
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace codec::video
