// SSE2 inverse DCT: the butterflies of the plain transform on eight rows (then
// eight columns) at once in 32-bit lanes. Each multiply-accumulate pair of the
// plain code is one pmaddwd here, so the integer results are the same; only
// inputs far outside any coded block (sums past 2^31) could differ.
#include "codec/video/kernels/kernel_table.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace codec::video {
namespace {

constexpr int W1 = 2841, W2 = 2676, W3 = 2408, W5 = 1609, W6 = 1108, W7 = 565;

inline __m128i Pair(int a, int b) { return _mm_set_epi16(short(b), short(a), short(b), short(a), short(b), short(a), short(b), short(a)); }

// 8x8 transpose of 16-bit values.
inline void Transpose(__m128i r[8]) {
  __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

// 181 * v in 32-bit lanes (181 = 128 + 32 + 16 + 4 + 1).
inline __m128i Mul181(__m128i v) {
  __m128i s = _mm_add_epi32(_mm_slli_epi32(v, 7), _mm_slli_epi32(v, 5));
  s = _mm_add_epi32(s, _mm_add_epi32(_mm_slli_epi32(v, 4), _mm_slli_epi32(v, 2)));
  return _mm_add_epi32(s, v);
}

// One pass over four lanes (32-bit). in[k] holds input k as interleavable
// 16-bit pairs; `half` selects lanes 0-3 (lo) or 4-7 (hi).
struct Pass {
  int dcScale;     // 2048 rows, 256 columns
  int dcRound;     // 128 rows, 8192 columns
  bool round3;     // columns: +4 and >> 3 after the first stage
  int outShift;    // 8 rows, 14 columns
};

template <bool kHi>
inline __m128i Inter(__m128i a, __m128i b) { return kHi ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b); }

// Inlined into each kernel so that each pass's constants fold; as calls, the
// two passes were a sixth of the decoding time.
template <bool kHi>
inline __attribute__((always_inline)) void Butterflies(const __m128i v[8], const Pass& p, __m128i out[8]) {
  const __m128i dcRound = _mm_set1_epi32(p.dcRound);
  __m128i p04 = Inter<kHi>(v[0], v[4]);
  __m128i x8 = _mm_add_epi32(_mm_madd_epi16(p04, Pair(p.dcScale, p.dcScale)), dcRound);
  __m128i x0 = _mm_add_epi32(_mm_madd_epi16(p04, Pair(p.dcScale, -p.dcScale)), dcRound);
  __m128i p17 = Inter<kHi>(v[1], v[7]), p53 = Inter<kHi>(v[5], v[3]), p26 = Inter<kHi>(v[2], v[6]);
  __m128i x4 = _mm_madd_epi16(p17, Pair(W1, W7));
  __m128i x5 = _mm_madd_epi16(p17, Pair(W7, -W1));
  __m128i x6 = _mm_madd_epi16(p53, Pair(W5, W3));
  __m128i x7 = _mm_madd_epi16(p53, Pair(W3, -W5));
  __m128i x2 = _mm_madd_epi16(p26, Pair(W6, -W2));
  __m128i x3 = _mm_madd_epi16(p26, Pair(W2, W6));
  if (p.round3) {
    const __m128i four = _mm_set1_epi32(4);
    x4 = _mm_srai_epi32(_mm_add_epi32(x4, four), 3);
    x5 = _mm_srai_epi32(_mm_add_epi32(x5, four), 3);
    x6 = _mm_srai_epi32(_mm_add_epi32(x6, four), 3);
    x7 = _mm_srai_epi32(_mm_add_epi32(x7, four), 3);
    x2 = _mm_srai_epi32(_mm_add_epi32(x2, four), 3);
    x3 = _mm_srai_epi32(_mm_add_epi32(x3, four), 3);
  }
  __m128i x1 = _mm_add_epi32(x4, x6);
  x4 = _mm_sub_epi32(x4, x6);
  x6 = _mm_add_epi32(x5, x7);
  x5 = _mm_sub_epi32(x5, x7);
  x7 = _mm_add_epi32(x8, x3);
  x8 = _mm_sub_epi32(x8, x3);
  x3 = _mm_add_epi32(x0, x2);
  x0 = _mm_sub_epi32(x0, x2);
  const __m128i r128 = _mm_set1_epi32(128);
  x2 = _mm_srai_epi32(_mm_add_epi32(Mul181(_mm_add_epi32(x4, x5)), r128), 8);
  x4 = _mm_srai_epi32(_mm_add_epi32(Mul181(_mm_sub_epi32(x4, x5)), r128), 8);
  const int s = p.outShift;
  out[0] = _mm_srai_epi32(_mm_add_epi32(x7, x1), s);
  out[1] = _mm_srai_epi32(_mm_add_epi32(x3, x2), s);
  out[2] = _mm_srai_epi32(_mm_add_epi32(x0, x4), s);
  out[3] = _mm_srai_epi32(_mm_add_epi32(x8, x6), s);
  out[4] = _mm_srai_epi32(_mm_sub_epi32(x8, x6), s);
  out[5] = _mm_srai_epi32(_mm_sub_epi32(x0, x4), s);
  out[6] = _mm_srai_epi32(_mm_sub_epi32(x3, x2), s);
  out[7] = _mm_srai_epi32(_mm_sub_epi32(x7, x1), s);
}

// Keeps the low 16 bits of each 32-bit lane as the plain code's int16 store does.
inline __m128i Wrap16(__m128i v) { return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16); }

// True when lanes 4-7 of every r[k] are zero: the lower half of the block's
// rows is empty, as in most inter blocks, and its row pass gives zeros.
inline bool LowerRowsZero(const __m128i r[8]) {
  __m128i any = _mm_or_si128(_mm_or_si128(r[0], r[1]), _mm_or_si128(r[2], r[3]));
  any = _mm_or_si128(any, _mm_or_si128(_mm_or_si128(r[4], r[5]), _mm_or_si128(r[6], r[7])));
  return (_mm_movemask_epi8(_mm_cmpeq_epi16(any, _mm_setzero_si128())) & 0xFF00) == 0xFF00;
}

// Both passes: r[k] holds coefficient k of every row on entry and output row
// k, clipped to -256..255, on return.
inline __attribute__((always_inline)) void Transform(__m128i r[8]) {
  const Pass rows{2048, 128, false, 8};
  __m128i lo[8], hi[8];
  Butterflies<false>(r, rows, lo);
  if (LowerRowsZero(r)) {
    for (int k = 0; k < 8; ++k) r[k] = _mm_packs_epi32(Wrap16(lo[k]), _mm_setzero_si128());
  } else {
    Butterflies<true>(r, rows, hi);
    for (int k = 0; k < 8; ++k) r[k] = _mm_packs_epi32(Wrap16(lo[k]), Wrap16(hi[k]));
  }
  Transpose(r);  // r[k]: row k of the intermediate block
  const Pass cols{256, 8192, true, 14};
  Butterflies<false>(r, cols, lo);
  Butterflies<true>(r, cols, hi);
  const __m128i low = _mm_set1_epi16(-256), high = _mm_set1_epi16(255);
  for (int k = 0; k < 8; ++k) r[k] = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(lo[k], hi[k]), low), high);
}

// The block's eight rows into r, leaving the block all zero for the next one.
inline void LoadAndClear(int16_t* block, __m128i r[8]) {
  const __m128i z = _mm_setzero_si128();
  for (int i = 0; i < 8; ++i) {
    r[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * i), z);
  }
}

void IdctPutSse2(int16_t* block, uint8_t* dst, int stride) {
  __m128i r[8];
  LoadAndClear(block, r);
  Transpose(r);  // r[k]: coefficient k of every row
  Transform(r);
  for (int k = 0; k < 8; ++k, dst += stride)
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(r[k], r[k]));
}

// Adds the residual rows res(k) to the eight rows of prediction at dst.
template <typename Rows>
inline __attribute__((always_inline)) void AddRows(uint8_t* dst, int stride, Rows res) {
  const __m128i z = _mm_setzero_si128();
  for (int k = 0; k < 8; ++k, dst += stride) {
    __m128i p = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst)), z);
    __m128i v = _mm_adds_epi16(p, res(k));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(v, v));
  }
}

inline __m128i ClipResidual(__m128i v) {
  return _mm_min_epi16(_mm_max_epi16(v, _mm_set1_epi16(-256)), _mm_set1_epi16(255));
}

// Only the first row of coefficients (lane 0 of each r[k]): every column of
// the intermediate block holds one value, so each output row is the same,
// (m + 32) >> 6 of the first intermediate row m.
void AddFirstRowOnly(const __m128i r[8], uint8_t* dst, int stride) {
  __m128i lo[8];
  Butterflies<false>(r, Pass{2048, 128, false, 8}, lo);
  const __m128i m03 = _mm_unpacklo_epi64(_mm_unpacklo_epi32(lo[0], lo[1]), _mm_unpacklo_epi32(lo[2], lo[3]));
  const __m128i m47 = _mm_unpacklo_epi64(_mm_unpacklo_epi32(lo[4], lo[5]), _mm_unpacklo_epi32(lo[6], lo[7]));
  const __m128i r32 = _mm_set1_epi32(32);
  const __m128i row = ClipResidual(_mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(Wrap16(m03), r32), 6),
                                                   _mm_srai_epi32(_mm_add_epi32(Wrap16(m47), r32), 6)));
  AddRows(dst, stride, [&](int) { return row; });
}

// Coefficient k of the first column (lane k of r0) everywhere in a register.
template <int kLane>
inline __m128i Broadcast16(__m128i v) {
  const __m128i half = kLane < 4 ? _mm_shufflelo_epi16(v, kLane * 0x55) : _mm_shufflehi_epi16(v, (kLane - 4) * 0x55);
  return kLane < 4 ? _mm_unpacklo_epi64(half, half) : _mm_unpackhi_epi64(half, half);
}

// Only the first column of coefficients (r0): each intermediate row is 8 times
// its first coefficient (wrapping in 16 bits as the plain store does) in every
// column, so the columns are alike and one half of the column pass serves all.
void AddFirstColumnOnly(__m128i r0, uint8_t* dst, int stride) {
  const __m128i m = _mm_slli_epi16(r0, 3);
  const __m128i v[8] = {Broadcast16<0>(m), Broadcast16<1>(m), Broadcast16<2>(m), Broadcast16<3>(m),
                        Broadcast16<4>(m), Broadcast16<5>(m), Broadcast16<6>(m), Broadcast16<7>(m)};
  __m128i lo[8];
  Butterflies<false>(v, Pass{256, 8192, true, 14}, lo);
  AddRows(dst, stride, [&](int k) { return ClipResidual(_mm_packs_epi32(lo[k], lo[k])); });
}

// The transposed block loads straight into the row pass's order.
void IdctAddSse2(int16_t* block, uint8_t* dst, int stride) {
  __m128i r[8];
  LoadAndClear(block, r);
  const __m128i z = _mm_setzero_si128();
  __m128i rest = _mm_or_si128(_mm_or_si128(r[1], r[2]), _mm_or_si128(r[3], r[4]));
  rest = _mm_or_si128(rest, _mm_or_si128(_mm_or_si128(r[5], r[6]), r[7]));
  if (_mm_movemask_epi8(_mm_cmpeq_epi16(rest, z)) == 0xFFFF) return AddFirstColumnOnly(r[0], dst, stride);
  if ((_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(rest, r[0]), z)) & 0xFFFC) == 0xFFFC)
    return AddFirstRowOnly(r, dst, stride);
  Transform(r);
  AddRows(dst, stride, [&](int k) { return r[k]; });
}

}  // namespace

void InitSse2Idct(KernelTable& k) {
  k.idctAdd = IdctAddSse2;
  k.idctPut = IdctPutSse2;
}

}  // namespace codec::video

#else

namespace codec::video {
void InitSse2Idct(KernelTable&) {}
}  // namespace codec::video

#endif
