// Every kernel slot of the processor-specific set gives exactly the plain
// result on seeded random input; guard bytes around each output catch writes
// outside the block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "codec/video/kernels/kernel_table.h"

namespace codec::video {
namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr int kIterations = 2000;

struct Kernels {
  KernelTable plain{};
  KernelTable fast{};
  bool haveFast = false;
  Kernels() {
    InitPlainKernels(plain);
    CpuFeatures cpu = DetectCpuFeatures();
    haveFast = cpu.sse2;
    SelectKernels(fast, cpu);
  }
};

TEST(PlainKernels, InverseQuantisationAndHalfSampleRounding) {
  KernelTable k{};
  InitPlainKernels(k);
  for (int q : {4, 7, 31}) {
    int16_t b[64] = {};
    b[0] = 9;  // kept for intra blocks (first = 1)
    b[1] = 1;
    b[2] = -1;
    b[3] = 2000;
    k.dequant(b, q, 1);
    const int one = q % 2 ? 3 * q : 3 * q - 1;
    EXPECT_EQ(b[0], 9);
    EXPECT_EQ(b[1], one) << "quantiser " << q;
    EXPECT_EQ(b[2], -one);
    EXPECT_EQ(b[3], 2047);
  }
  // Rounding 0 rounds the half-sample average up, rounding 1 down.
  uint8_t src[32 * 17], dst0[64], dst1[64];
  for (int i = 0; i < 32 * 17; ++i) src[i] = uint8_t(i & 1 ? 11 : 10);
  k.predict8[kPredH0](dst0, 8, src, 32);
  k.predict8[kPredH1](dst1, 8, src, 32);
  EXPECT_EQ(dst0[0], 11);
  EXPECT_EQ(dst1[0], 10);
  k.predict8[kPredHV0](dst0, 8, src, 32);
  k.predict8[kPredHV1](dst1, 8, src, 32);
  EXPECT_EQ(dst0[0], 11);  // (10 + 11 + 10 + 11 + 2) / 4
  EXPECT_EQ(dst1[0], 10);  // (42 + 1) / 4
}

TEST(PlainKernels, FusedInverseDctAddTakesTheTransposedBlock) {
  KernelTable k{};
  InitPlainKernels(k);
  int16_t rows[64] = {}, transposed[64] = {};
  rows[1] = 300;  // row 0, column 1: a horizontal ramp
  rows[16] = -90;
  transposed[8] = 300;
  transposed[2] = -90;
  uint8_t a[64], b[64];
  std::memset(a, 100, sizeof(a));
  std::memset(b, 100, sizeof(b));
  IdctPlain(rows);
  for (int i = 0; i < 64; ++i) a[i] = uint8_t(std::clamp(a[i] + rows[i], 0, 255));
  k.idctAdd(transposed, b, 8);
  EXPECT_EQ(std::memcmp(a, b, sizeof(a)), 0);
  EXPECT_NE(a[0], a[7]);
}

class KernelSlots : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!k_.haveFast) GTEST_SKIP() << "no SSE2 on this processor";
  }
  Kernels k_;
  std::mt19937 rng_{20240607};
};

// A destination with guard bytes all around a size x size block at stride 48.
struct GuardedBlock {
  static constexpr int kStride = 48;
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kStride * 40, kGuard);
  uint8_t* At() { return bytes.data() + kStride * 8 + 8; }
};

TEST_F(KernelSlots, PredictionKernelsMatchPlain) {
  std::vector<uint8_t> src(64 * 64);
  for (int size : {16, 8}) {
    for (int fn = 0; fn < 7; ++fn) {
      PredictFn plain = size == 16 ? k_.plain.predict16[fn] : k_.plain.predict8[fn];
      PredictFn fast = size == 16 ? k_.fast.predict16[fn] : k_.fast.predict8[fn];
      for (int it = 0; it < kIterations / 4; ++it) {
        for (auto& b : src) b = uint8_t(rng_());
        int srcStride = 24 + int(rng_() % 40);
        const uint8_t* s = src.data() + rng_() % 5;
        GuardedBlock a, b;
        plain(a.At(), GuardedBlock::kStride, s, srcStride);
        fast(b.At(), GuardedBlock::kStride, s, srcStride);
        ASSERT_EQ(a.bytes, b.bytes) << "size " << size << " kernel " << fn << " iteration " << it;
      }
    }
  }
}

TEST_F(KernelSlots, DequantMatchesPlainForEveryQuantiser) {
  for (int it = 0; it < kIterations; ++it) {
    int16_t a[72], b[72];
    const int range = it % 3 == 0 ? 65536 : (it % 3 == 1 ? 4096 : 64);
    for (int i = 0; i < 72; ++i) a[i] = b[i] = int16_t(int(rng_() % range) - range / 2);
    for (int i = 0; i < 64; ++i)
      if (rng_() % 3) a[i] = b[i] = 0;
    const int q = 1 + it % 31, first = it % 2;
    k_.plain.dequant(a, q, first);
    k_.fast.dequant(b, q, first);
    ASSERT_EQ(std::memcmp(a, b, sizeof(a)), 0) << "quantiser " << q << " first " << first;
  }
}

TEST_F(KernelSlots, MacroblockWriteMatchesPlain) {
  std::vector<uint8_t> work(384);
  for (int it = 0; it < 200; ++it) {
    for (auto& v : work) v = uint8_t(rng_());
    std::vector<uint8_t> a(64 * 64, kGuard), b(64 * 64, kGuard);
    k_.plain.writeMacroblock(work.data(), a.data() + 70, a.data() + 2600, a.data() + 3300, 40, 20);
    k_.fast.writeMacroblock(work.data(), b.data() + 70, b.data() + 2600, b.data() + 3300, 40, 20);
    ASSERT_EQ(a, b);
  }
}

// Blocks confined to the first four rows, to the first row or to the first
// column (the short paths), to the first half, sparse blocks anywhere and
// dense ones, of coded values or (every other round) of any, added to random
// predictions or stored; both kernels clear the block.
TEST_F(KernelSlots, FusedInverseDctAddAndStoreMatchPlainAndClearTheBlock) {
  const int16_t zero[64] = {};
  for (const bool store : {false, true}) {
    const auto plain = store ? k_.plain.idctPut : k_.plain.idctAdd, fast = store ? k_.fast.idctPut : k_.fast.idctAdd;
    for (int it = 0; it < kIterations; ++it) {
      int16_t a[64] = {}, b[64];
      const int kind = it % 6;
      const bool anyValue = it % 12 >= 6;
      for (int i = 0; i < 64; ++i) {
        const int row = i & 7, column = i >> 3;  // transposed layout
        if (kind == 0 && (row >= 4 || rng_() % 4)) continue;
        if (kind == 1 && row) continue;
        if (kind == 2 && column) continue;
        if (kind == 3 && rng_() % 8) continue;
        if (kind == 4 && (i >= 32 || rng_() % 4)) continue;
        a[i] = int16_t(anyValue ? int(rng_() % 65536) - 32768 : int(rng_() % 4095) - 2047);
      }
      std::memcpy(b, a, sizeof(a));
      GuardedBlock pa, pb;
      if (!store)
        for (size_t i = 0; i < pa.bytes.size(); ++i) pa.bytes[i] = pb.bytes[i] = uint8_t(rng_());
      plain(a, pa.At(), GuardedBlock::kStride);
      fast(b, pb.At(), GuardedBlock::kStride);
      ASSERT_EQ(pa.bytes, pb.bytes) << (store ? "store" : "add") << " kind " << kind << " iteration " << it;
      ASSERT_EQ(std::memcmp(a, zero, sizeof(a)), 0);
      ASSERT_EQ(std::memcmp(b, zero, sizeof(b)), 0);
    }
  }
}

TEST_F(KernelSlots, FlatAddMatchesPlainAtTheEnds) {
  for (int value : {-256, -255, -1, 0, 1, 254, 255}) {
    GuardedBlock a, b;
    for (size_t i = 0; i < a.bytes.size(); ++i) a.bytes[i] = b.bytes[i] = uint8_t(rng_());
    k_.plain.addFlat(a.At(), GuardedBlock::kStride, value);
    k_.fast.addFlat(b.At(), GuardedBlock::kStride, value);
    ASSERT_EQ(a.bytes, b.bytes) << "value " << value;
  }
}

}  // namespace
}  // namespace codec::video
