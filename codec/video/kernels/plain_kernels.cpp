// Portable kernels: the reference behaviour every other set must reproduce.
#include <cstring>

#include "codec/video/kernels/kernel_table.h"
#include "codec/video/postfilter/post_filter.h"

namespace codec::video {
namespace {

inline uint8_t ClipPixel(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// H.263 inverse quantisation of one block from coefficient `first` on.
void DequantPlain(int16_t* block, int quant, int first) {
  const int mul = 2 * quant;
  const int add = (quant & 1) ? quant : quant - 1;
  for (int i = first; i < 64; ++i) {
    int c = block[i];
    if (c == 0) continue;
    int v = c > 0 ? c * mul + add : c * mul - add;
    block[i] = static_cast<int16_t>(v < -2048 ? -2048 : (v > 2047 ? 2047 : v));
  }
}

// Work buffer: 16x16 luma at stride 16, then U and V at stride 8.
void WriteMacroblockPlain(const uint8_t* work, uint8_t* y, uint8_t* u, uint8_t* v, int luma_stride,
                          int chroma_stride) {
  for (int r = 0; r < 16; ++r) std::memcpy(y + r * luma_stride, work + r * 16, 16);
  for (int r = 0; r < 8; ++r) {
    std::memcpy(u + r * chroma_stride, work + 256 + r * 8, 8);
    std::memcpy(v + r * chroma_stride, work + 320 + r * 8, 8);
  }
}

template <int N>
void Copy(uint8_t* d, int ds, const uint8_t* s, int ss) {
  for (int r = 0; r < N; ++r) std::memcpy(d + r * ds, s + r * ss, N);
}

template <int N, int R>
void HalfH(uint8_t* d, int ds, const uint8_t* s, int ss) {
  for (int r = 0; r < N; ++r, d += ds, s += ss)
    for (int c = 0; c < N; ++c) d[c] = static_cast<uint8_t>((s[c] + s[c + 1] + 1 - R) >> 1);
}

template <int N, int R>
void HalfV(uint8_t* d, int ds, const uint8_t* s, int ss) {
  for (int r = 0; r < N; ++r, d += ds, s += ss)
    for (int c = 0; c < N; ++c) d[c] = static_cast<uint8_t>((s[c] + s[c + ss] + 1 - R) >> 1);
}

template <int N, int R>
void HalfHV(uint8_t* d, int ds, const uint8_t* s, int ss) {
  for (int r = 0; r < N; ++r, d += ds, s += ss)
    for (int c = 0; c < N; ++c)
      d[c] = static_cast<uint8_t>((s[c] + s[c + 1] + s[c + ss] + s[c + ss + 1] + 2 - R) >> 2);
}

void AddBlockPlain(uint8_t* pred, int stride, const int16_t* residual) {
  for (int r = 0; r < 8; ++r, pred += stride, residual += 8)
    for (int c = 0; c < 8; ++c) pred[c] = ClipPixel(pred[c] + residual[c]);
}

void IdctAddPlain(int16_t* block, uint8_t* dst, int stride) {
  int16_t rows[64];
  for (int i = 0; i < 64; ++i) rows[i] = block[(i & 7) * 8 + (i >> 3)];
  IdctPlain(rows);
  AddBlockPlain(dst, stride, rows);
  std::memset(block, 0, 64 * sizeof(int16_t));
}

void AddFlatPlain(uint8_t* dst, int stride, int value) {
  for (int r = 0; r < 8; ++r, dst += stride)
    for (int c = 0; c < 8; ++c) dst[c] = ClipPixel(dst[c] + value);
}

void StoreIntraPlain(uint8_t* dst, int stride, const int16_t* block) {
  for (int r = 0; r < 8; ++r, dst += stride, block += 8)
    for (int c = 0; c < 8; ++c) dst[c] = ClipPixel(block[c]);
}

void IdctPutPlain(int16_t* block, uint8_t* dst, int stride) {
  IdctPlain(block);
  StoreIntraPlain(dst, stride, block);
  std::memset(block, 0, 64 * sizeof(int16_t));
}

template <int N>
void FillPredict(PredictFn* p) {
  p[kPredCopy] = Copy<N>;
  p[kPredH0] = HalfH<N, 0>;
  p[kPredH1] = HalfH<N, 1>;
  p[kPredV0] = HalfV<N, 0>;
  p[kPredV1] = HalfV<N, 1>;
  p[kPredHV0] = HalfHV<N, 0>;
  p[kPredHV1] = HalfHV<N, 1>;
}

}  // namespace

void InitPlainKernels(KernelTable& k) {
  k.dequant = DequantPlain;
  k.writeMacroblock = WriteMacroblockPlain;
  FillPredict<16>(k.predict16);
  FillPredict<8>(k.predict8);
  k.postFilter = PostFilterPlain;
  k.idctAdd = IdctAddPlain;
  k.addFlat = AddFlatPlain;
  k.idctPut = IdctPutPlain;
}

void SelectKernels(KernelTable& k, const CpuFeatures& cpu) {
  InitPlainKernels(k);
  if (cpu.sse2) InitSse2Kernels(k);
}

}  // namespace codec::video
