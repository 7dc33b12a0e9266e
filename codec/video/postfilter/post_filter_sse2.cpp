// SSE2 post-filter: sixteen edge positions at once, one per byte lane. The mode
// decisions are made on bytes; only the arithmetic of the two modes widens to
// 16 bits, and only when some lane needs it. Vertical edges are turned into
// lanes by transposing 16 rows in registers, so the picture is filtered where
// it lies. Gives exactly the results of FilterEdgeSamples.
#include "codec/video/postfilter/post_filter.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace codec::video {
namespace {

// Everything below is one straight run of register code once inlined; left to
// itself the compiler keeps the small arrays in memory.
#define HALYARD_INLINE inline __attribute__((always_inline))
#define HALYARD_UNROLL _Pragma("GCC unroll 16")

// QuantAt, inlined here.
HALYARD_INLINE char Quant(const FilterPlane& p, int x, int y) {
  return static_cast<char>(p.mbQuant[(y >> p.mbShift) * p.mbWidth + (x >> p.mbShift)]);
}

enum Changed { kChangedNone = 0, kChangedPair = 1, kChangedAll = 2 };

inline __m128i Widen(__m128i v, int half) {
  return half ? _mm_unpackhi_epi8(v, _mm_setzero_si128()) : _mm_unpacklo_epi8(v, _mm_setzero_si128());
}
// A byte mask (0 or 0xFF) as a 16-bit mask (0 or 0xFFFF).
inline __m128i WidenMask(__m128i m, int half) { return half ? _mm_unpackhi_epi8(m, m) : _mm_unpacklo_epi8(m, m); }
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
inline __m128i AbsDiffU8(__m128i a, __m128i b) { return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)); }
// Lanes where a > b, both unsigned bytes.
inline __m128i GreaterU8(__m128i a, __m128i b) {
  return _mm_xor_si128(_mm_cmpeq_epi8(_mm_subs_epu8(a, b), _mm_setzero_si128()), _mm_set1_epi8(-1));
}
// |a - b| <= 2. (A wrap-around test, a - b + 2 in 0..4 modulo 256, would take
// 0 and 255 for neighbours.)
inline __m128i FlatPair(__m128i a, __m128i b) {
  return _mm_cmpeq_epi8(_mm_subs_epu8(AbsDiffU8(a, b), _mm_set1_epi8(2)), _mm_setzero_si128());
}

// 2 x - 5 y.
inline __m128i Weighted(__m128i x, __m128i y) {
  return _mm_sub_epi16(_mm_add_epi16(x, x), _mm_add_epi16(_mm_slli_epi16(y, 2), y));
}

// Default mode on 16-bit samples w[1..8]: the correction d of s4 (minus) and
// s5 (plus), zero in lanes where the mode does not apply.
HALYARD_INLINE __m128i DefaultCorrection(const __m128i* w, __m128i qp, __m128i smooth_lanes) {
  const __m128i z = _mm_setzero_si128();
  const __m128i t = _mm_sub_epi16(w[4], w[5]);
  const __m128i a0 = Weighted(_mm_sub_epi16(w[3], w[6]), t);
  const __m128i a1 = Weighted(_mm_sub_epi16(w[1], w[4]), _mm_sub_epi16(w[2], w[3]));
  const __m128i a2 = Weighted(_mm_sub_epi16(w[5], w[8]), _mm_sub_epi16(w[6], w[7]));
  const __m128i abs0 = Abs16(a0);
  const __m128i gap = _mm_sub_epi16(abs0, _mm_min_epi16(Abs16(a1), Abs16(a2)));
  const __m128i apply = _mm_andnot_si128(
      smooth_lanes, _mm_and_si128(_mm_cmpgt_epi16(_mm_slli_epi16(qp, 3), abs0), _mm_cmpgt_epi16(gap, z)));
  __m128i d = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(gap, 2), gap), _mm_set1_epi16(32)), 6);
  d = Select(_mm_cmpgt_epi16(a0, z), _mm_sub_epi16(z, d), d);
  const __m128i limit = _mm_srai_epi16(_mm_sub_epi16(t, _mm_srai_epi16(t, 15)), 1);  // t / 2 toward zero
  d = _mm_min_epi16(_mm_max_epi16(d, _mm_min_epi16(limit, z)), _mm_max_epi16(limit, z));
  return _mm_and_si128(apply, d);
}

// DC offset mode on 16-bit samples w[1..8] with the outer values p0 and p9:
// out[n] = (sum of taps 1 1 2 2 4 2 2 1 1 around n + 8) >> 4 for n = 1..8,
// where samples before s1 are p0 and after s8 are p9. The taps are a 9-wide
// box, a 5-wide box and twice the centre; c holds both boxes (and the 8) and
// slides one sample on at each n: minus p(n-5) and p(n-3), plus p(n+2) and p(n+4).
HALYARD_INLINE void Smooth(const __m128i* w, __m128i p0, __m128i p9, __m128i* out) {
  const __m128i p0x2 = _mm_add_epi16(p0, p0), p9x2 = _mm_add_epi16(p9, p9);
  const __m128i w123 = _mm_add_epi16(_mm_add_epi16(w[1], w[2]), w[3]);
  // 6 p0 + 2 (s1 + s2 + s3) + s4 + s5 + 8
  __m128i c = _mm_add_epi16(_mm_add_epi16(w123, p0), _mm_add_epi16(p0x2, _mm_set1_epi16(4)));
  c = _mm_add_epi16(_mm_add_epi16(c, c), _mm_add_epi16(w[4], w[5]));
  auto emit = [&](int n) { out[n] = _mm_srli_epi16(_mm_add_epi16(c, _mm_add_epi16(w[n], w[n])), 4); };
  emit(1);
  c = _mm_add_epi16(_mm_sub_epi16(c, p0x2), _mm_add_epi16(w[4], w[6]));
  emit(2);
  c = _mm_add_epi16(_mm_sub_epi16(c, p0x2), _mm_add_epi16(w[5], w[7]));
  emit(3);
  c = _mm_add_epi16(_mm_sub_epi16(c, _mm_add_epi16(p0, w[1])), _mm_add_epi16(w[6], w[8]));
  emit(4);
  c = _mm_add_epi16(_mm_sub_epi16(c, _mm_add_epi16(p0, w[2])), _mm_add_epi16(w[7], p9));
  emit(5);
  c = _mm_add_epi16(_mm_sub_epi16(c, _mm_add_epi16(w[1], w[3])), _mm_add_epi16(w[8], p9));
  emit(6);
  c = _mm_add_epi16(_mm_sub_epi16(c, _mm_add_epi16(w[2], w[4])), p9x2);
  emit(7);
  c = _mm_add_epi16(_mm_sub_epi16(c, _mm_add_epi16(w[3], w[5])), p9x2);
  emit(8);
}

// s[0..9] hold the ten samples across an edge, one edge position per lane;
// s[1..8] become the filtered samples. qp holds each lane's quantiser.
HALYARD_INLINE int FilterLanes(__m128i* s, __m128i qp) {
  const __m128i z = _mm_setzero_si128();
  __m128i flat = FlatPair(s[0], s[1]);
  HALYARD_UNROLL
  for (int i = 1; i < 9; ++i) flat = _mm_add_epi8(flat, FlatPair(s[i], s[i + 1]));
  const __m128i smoothMode = _mm_cmpgt_epi8(_mm_set1_epi8(-5), flat);  // six or more flat pairs
  const int smoothModeBits = _mm_movemask_epi8(smoothMode);

  int changed = kChangedNone;
  if (smoothModeBits != 0xFFFF) {
    __m128i d[2];
    HALYARD_UNROLL
    for (int half = 0; half < 2; ++half) {
      __m128i w[9];
      HALYARD_UNROLL
      for (int i = 1; i <= 8; ++i) w[i] = Widen(s[i], half);
      d[half] = DefaultCorrection(w, Widen(qp, half), WidenMask(smoothMode, half));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(d[0], d[1]), z)) != 0xFFFF) {
      s[4] = _mm_packus_epi16(_mm_sub_epi16(Widen(s[4], 0), d[0]), _mm_sub_epi16(Widen(s[4], 1), d[1]));
      s[5] = _mm_packus_epi16(_mm_add_epi16(Widen(s[5], 0), d[0]), _mm_add_epi16(Widen(s[5], 1), d[1]));
      changed = kChangedPair;
    }
  }
  if (!smoothModeBits) return changed;

  // The default mode left the smooth-mode lanes alone: they still hold the input.
  __m128i hi = _mm_max_epu8(s[1], s[2]), lo = _mm_min_epu8(s[1], s[2]);
  HALYARD_UNROLL
  for (int i = 3; i <= 8; ++i) {
    hi = _mm_max_epu8(hi, s[i]);
    lo = _mm_min_epu8(lo, s[i]);
  }
  const __m128i apply = _mm_and_si128(smoothMode, GreaterU8(_mm_add_epi8(qp, qp), _mm_sub_epi8(hi, lo)));
  if (!_mm_movemask_epi8(apply)) return changed;
  const __m128i p0 = Select(GreaterU8(qp, AbsDiffU8(s[1], s[0])), s[0], s[1]);
  const __m128i p9 = Select(GreaterU8(qp, AbsDiffU8(s[8], s[9])), s[9], s[8]);
  // Where p0, s1..s8 and p9 are all one value the average is that value:
  // flat areas need no arithmetic.
  const __m128i level = _mm_and_si128(_mm_cmpeq_epi8(hi, lo),
                                      _mm_and_si128(_mm_cmpeq_epi8(p0, s[1]), _mm_cmpeq_epi8(p9, s[1])));
  const int applyBits = _mm_movemask_epi8(_mm_andnot_si128(level, apply));
  if (!applyBits) return changed;
  __m128i lower[9], upper[9];
  {
    __m128i w[9];
    HALYARD_UNROLL
    for (int i = 1; i <= 8; ++i) w[i] = Widen(s[i], 0);
    Smooth(w, Widen(p0, 0), Widen(p9, 0), lower);
    HALYARD_UNROLL
    for (int i = 1; i <= 8; ++i) w[i] = Widen(s[i], 1);
    Smooth(w, Widen(p0, 1), Widen(p9, 1), upper);
  }
  HALYARD_UNROLL
  for (int n = 1; n <= 8; ++n) {
    const __m128i v = _mm_packus_epi16(lower[n], upper[n]);
    s[n] = applyBits == 0xFFFF ? v : Select(apply, v, s[n]);  // level lanes come out unchanged
  }
  return kChangedAll;
}

// Sixteen lanes, or eight (the last block of a plane 8 modulo 16 wide: the
// upper lanes are filtered from zeros and never stored).
template <int kLanes>
void HorizontalEdgeAt(uint8_t* s0, int stride, __m128i qp) {
  __m128i s[10];
  for (int i = 0; i < 10; ++i) {
    const __m128i* at = reinterpret_cast<const __m128i*>(s0 + i * stride);
    s[i] = kLanes == 16 ? _mm_loadu_si128(at) : _mm_loadl_epi64(at);
  }
  const int changed = FilterLanes(s, qp);
  if (changed == kChangedNone) return;
  const int first = changed == kChangedAll ? 1 : 4, last = changed == kChangedAll ? 8 : 5;
  for (int i = first; i <= last; ++i) {
    __m128i* at = reinterpret_cast<__m128i*>(s0 + i * stride);
    if (kLanes == 16) {
      _mm_storeu_si128(at, s[i]);
    } else {
      _mm_storel_epi64(at, s[i]);
    }
  }
}

void HorizontalEdgeSse2(const FilterPlane& p, int y) {
  uint8_t* s0 = p.data + (y - 5) * p.width;
  int x = 0;
  for (; x + 16 <= p.width; x += 16) {
    const __m128i qp = _mm_unpacklo_epi64(_mm_set1_epi8(Quant(p, x, y)),
                                          _mm_set1_epi8(Quant(p, x + 8, y)));
    HorizontalEdgeAt<16>(s0 + x, p.width, qp);
  }
  if (x < p.width) HorizontalEdgeAt<8>(s0 + x, p.width, _mm_set1_epi8(Quant(p, x, y)));
}

// Byte transpose of 16 rows of 16: four rounds of interleaving vector i with
// vector i + 8 rotate the (vector, byte) index bits by one each.
HALYARD_INLINE void Transpose16(__m128i* v) {
  HALYARD_UNROLL
  for (int round = 0; round < 4; ++round) {
    __m128i t[16];
    HALYARD_UNROLL
    for (int i = 0; i < 8; ++i) {
      t[2 * i] = _mm_unpacklo_epi8(v[i], v[i + 8]);
      t[2 * i + 1] = _mm_unpackhi_epi8(v[i], v[i + 8]);
    }
    HALYARD_UNROLL
    for (int i = 0; i < 16; ++i) v[i] = t[i];
  }
}

// Eight columns of 16 lanes back into rows: afterwards vector k holds row 2k
// in its low eight bytes and row 2k + 1 in its high ones.
HALYARD_INLINE void Transpose8x16(__m128i* v) {
  HALYARD_UNROLL
  for (int round = 0; round < 3; ++round) {
    __m128i t[8];
    HALYARD_UNROLL
    for (int i = 0; i < 4; ++i) {
      t[2 * i] = _mm_unpacklo_epi8(v[i], v[i + 4]);
      t[2 * i + 1] = _mm_unpackhi_epi8(v[i], v[i + 4]);
    }
    HALYARD_UNROLL
    for (int i = 0; i < 8; ++i) v[i] = t[i];
  }
}

// One vertical edge of a band of kRows rows (16, or 8 whose lanes are
// repeated and not stored). c[] holds the band's rows as loaded, transposed:
// s_i is c[kS0At + i] for i < 9 and s9 is c[kS9At]; without kFirst, s0 is the
// s8 that the edge before left in a register. Returns this edge's s8.
template <int kRows, bool kFirst, int kS0At, int kS9At>
HALYARD_INLINE __m128i VerticalEdge(uint8_t* band, int w, int edge, __m128i* c, __m128i qp, __m128i carried) {
  Transpose16(c);
  __m128i s[10];
  s[0] = kFirst ? c[kS0At] : carried;
  HALYARD_UNROLL
  for (int i = 1; i < 9; ++i) s[i] = c[kS0At + i];
  s[9] = c[kS9At];
  const int changed = FilterLanes(s, qp);
  if (changed == kChangedNone) return s[8];
  __m128i out[8];
  HALYARD_UNROLL
  for (int i = 0; i < 8; ++i) out[i] = s[i + 1];
  Transpose8x16(out);
  uint8_t* at = band + edge - 4;
  HALYARD_UNROLL
  for (int k = 0; k < kRows / 2; ++k) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at + 2 * k * w), out[k]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at + (2 * k + 1) * w), _mm_unpackhi_epi64(out[k], out[k]));
  }
  return s[8];
}

template <int kRows>
HALYARD_INLINE void LoadRows(const uint8_t* p, int w, __m128i* c) {
  HALYARD_UNROLL
  for (int r = 0; r < 16; ++r) c[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + (r % kRows) * w));
}

// The vertical edges of a band, left to right. An edge's s1..s9 are loaded
// from the 16 bytes at its s1, its s0 carried over from the edge before, so
// no load overlaps what the edge before has just stored (a stall). The first
// edge loads from its s0; the last loads s1..s8 and the row's last eight
// bytes, so no load passes the row's end.
template <int kRows>
void VerticalEdgesOfBand(const FilterPlane& p, int y) {
  const int w = p.width;
  if (w < 16) return;
  uint8_t* band = p.data + y * w;
  const int lowerRow = kRows == 16 ? y + 8 : y;
  auto quant = [&](int edge) {
    return _mm_unpacklo_epi64(_mm_set1_epi8(Quant(p, edge, y)),
                              _mm_set1_epi8(Quant(p, edge, lowerRow)));
  };
  __m128i c[16];
  if (w == 16) {
    LoadRows<kRows>(band, w, c);
    VerticalEdge<kRows, true, 3, 12>(band, w, 8, c, quant(8), c[0]);
    return;
  }
  LoadRows<kRows>(band + 3, w, c);
  __m128i carried = VerticalEdge<kRows, true, 0, 9>(band, w, 8, c, quant(8), c[0]);
  int edge = 16;
  for (; edge <= w - 16; edge += 8) {
    LoadRows<kRows>(band + edge - 4, w, c);
    carried = VerticalEdge<kRows, false, -1, 8>(band, w, edge, c, quant(edge), carried);
  }
  HALYARD_UNROLL
  for (int r = 0; r < 16; ++r) {
    const uint8_t* row = band + (r % kRows) * w;
    c[r] = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + edge - 4)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + w - 8)));
  }
  VerticalEdge<kRows, false, -1, 12>(band, w, edge, c, quant(edge), carried);
}

void VerticalEdgesSse2(const FilterPlane& p, int y, int rows) {
  if (rows == 16) {
    VerticalEdgesOfBand<16>(p, y);
  } else {
    VerticalEdgesOfBand<8>(p, y);
  }
}

}  // namespace

void PostFilterSse2(const PostFilterArgs& a) { PostFilterWith(a, {HorizontalEdgeSse2, VerticalEdgesSse2}); }

}  // namespace codec::video

#else

namespace codec::video {
void PostFilterSse2(const PostFilterArgs& a) { PostFilterPlain(a); }
}  // namespace codec::video

#endif
