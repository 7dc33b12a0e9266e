// SSE2 versions of the prediction, reconstruction and inverse quantisation
// kernels (the inverse DCT is in idct_sse2.cpp). Each gives exactly the plain
// result (the post-filter's edge kernel is in post_filter_sse2.cpp).
#include "codec/video/kernels/kernel_table.h"
#include "codec/video/postfilter/post_filter.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace codec::video {
namespace {

// N bytes (8 or 16) widened to 16-bit lanes: lo holds the first 8.
template <int N>
inline void Load(const uint8_t* p, __m128i* lo, __m128i* hi) {
  const __m128i z = _mm_setzero_si128();
  if (N == 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    *lo = _mm_unpacklo_epi8(v, z);
    *hi = _mm_unpackhi_epi8(v, z);
  } else {
    *lo = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), z);
    *hi = z;
  }
}

template <int N>
inline void Store(uint8_t* p, __m128i lo, __m128i hi) {
  __m128i v = _mm_packus_epi16(lo, hi);
  if (N == 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  } else {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  }
}

template <int N>
inline __m128i LoadBytes(const uint8_t* p) {
  return N == 16 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p))
                 : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

template <int N>
inline void StoreBytes(uint8_t* p, __m128i v) {
  if (N == 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  } else {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  }
}

template <int N>
void CopySse2(uint8_t* d, int ds, const uint8_t* s, int ss) {
  for (int r = 0; r < N; ++r) StoreBytes<N>(d + r * ds, LoadBytes<N>(s + r * ss));
}

// Average of two rows: rounding 0 is pavgb ((a + b + 1) >> 1); rounding 1
// subtracts the lost half where a + b is odd.
template <int N, int R>
inline __m128i Avg2(__m128i a, __m128i b) {
  __m128i avg = _mm_avg_epu8(a, b);
  if (R) avg = _mm_sub_epi8(avg, _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
  return avg;
}

template <int N, int R>
void HalfHSse2(uint8_t* d, int ds, const uint8_t* s, int ss) {
  for (int r = 0; r < N; ++r, d += ds, s += ss)
    StoreBytes<N>(d, Avg2<N, R>(LoadBytes<N>(s), LoadBytes<N>(s + 1)));
}

template <int N, int R>
void HalfVSse2(uint8_t* d, int ds, const uint8_t* s, int ss) {
  __m128i prev = LoadBytes<N>(s);
  for (int r = 0; r < N; ++r, d += ds) {
    s += ss;
    __m128i next = LoadBytes<N>(s);
    StoreBytes<N>(d, Avg2<N, R>(prev, next));
    prev = next;
  }
}

template <int N, int R>
void HalfHVSse2(uint8_t* d, int ds, const uint8_t* s, int ss) {
  const __m128i bias = _mm_set1_epi16(2 - R);
  __m128i a0, a1, b0, b1;
  Load<N>(s, &a0, &a1);
  Load<N>(s + 1, &b0, &b1);
  __m128i top0 = _mm_add_epi16(a0, b0), top1 = _mm_add_epi16(a1, b1);
  for (int r = 0; r < N; ++r, d += ds) {
    s += ss;
    Load<N>(s, &a0, &a1);
    Load<N>(s + 1, &b0, &b1);
    __m128i bot0 = _mm_add_epi16(a0, b0), bot1 = _mm_add_epi16(a1, b1);
    __m128i v0 = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(top0, bot0), bias), 2);
    __m128i v1 = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(top1, bot1), bias), 2);
    Store<N>(d, v0, v1);
    top0 = bot0;
    top1 = bot1;
  }
}

template <int N>
void FillPredict(PredictFn* p) {
  p[kPredCopy] = CopySse2<N>;
  p[kPredH0] = HalfHSse2<N, 0>;
  p[kPredH1] = HalfHSse2<N, 1>;
  p[kPredV0] = HalfVSse2<N, 0>;
  p[kPredV1] = HalfVSse2<N, 1>;
  p[kPredHV0] = HalfHVSse2<N, 0>;
  p[kPredHV1] = HalfHVSse2<N, 1>;
}

// Saturating byte arithmetic is exactly the clipped sum.
void AddFlatSse2(uint8_t* dst, int stride, int value) {
  const __m128i up = _mm_set1_epi8(static_cast<char>(value > 0 ? value : 0));
  // -256 takes every sample to 0 as -255 does, and 256 would not fit a byte.
  const __m128i down = _mm_set1_epi8(static_cast<char>(value < 0 ? (value < -255 ? 255 : -value) : 0));
  for (int r = 0; r < 8; ++r, dst += stride) {
    __m128i p = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_subs_epu8(_mm_adds_epu8(p, up), down));
  }
}

void WriteMacroblockSse2(const uint8_t* work, uint8_t* y, uint8_t* u, uint8_t* v, int luma_stride,
                         int chroma_stride) {
  for (int r = 0; r < 16; ++r) StoreBytes<16>(y + r * luma_stride, LoadBytes<16>(work + r * 16));
  for (int r = 0; r < 8; ++r) {
    StoreBytes<8>(u + r * chroma_stride, LoadBytes<8>(work + 256 + r * 8));
    StoreBytes<8>(v + r * chroma_stride, LoadBytes<8>(work + 320 + r * 8));
  }
}

// Unsigned 16-bit minimum (SSE2 has only the signed one).
inline __m128i MinU16(__m128i a, __m128i b) { return _mm_sub_epi16(a, _mm_subs_epu16(a, b)); }

void DequantSse2(int16_t* block, int quant, int first) {
  const int16_t keep = block[0];
  const __m128i mul = _mm_set1_epi16(static_cast<int16_t>(2 * quant));
  const __m128i add = _mm_set1_epi16(static_cast<int16_t>((quant & 1) ? quant : quant - 1));
  // Past 1056 every quantiser saturates, and 1056 * 62 still fits 16 bits unsigned.
  const __m128i cap = _mm_set1_epi16(1056);
  const __m128i limit = _mm_set1_epi16(2047);
  const __m128i z = _mm_setzero_si128();
  for (int i = 0; i < 64; i += 8) {
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i));
    __m128i sign = _mm_srai_epi16(c, 15);
    __m128i mag = _mm_sub_epi16(_mm_xor_si128(c, sign), sign);  // |c|, 32768 for -32768
    mag = MinU16(mag, cap);
    __m128i v = _mm_adds_epu16(_mm_mullo_epi16(mag, mul), add);
    v = MinU16(v, _mm_sub_epi16(limit, sign));                  // 2047, or 2048 when negative
    v = _mm_sub_epi16(_mm_xor_si128(v, sign), sign);
    v = _mm_andnot_si128(_mm_cmpeq_epi16(c, z), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + i), v);
  }
  if (first) block[0] = keep;
}

}  // namespace

void InitSse2Kernels(KernelTable& k) {
  InitSse2Idct(k);
  k.dequant = DequantSse2;
  k.writeMacroblock = WriteMacroblockSse2;
  FillPredict<16>(k.predict16);
  FillPredict<8>(k.predict8);
  k.postFilter = PostFilterSse2;
  k.addFlat = AddFlatSse2;
}

}  // namespace codec::video

#else

namespace codec::video {
void InitSse2Kernels(KernelTable&) {}
}  // namespace codec::video

#endif
