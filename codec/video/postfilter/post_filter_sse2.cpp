// SSE2 edge-row kernel of the post-filter: eight columns at once in 16-bit
// lanes, both modes computed and blended by the per-column decisions. Gives
// exactly the results of FilterEdgeSamples.
#include "codec/video/postfilter/post_filter.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace video {
namespace {

inline __m128i Load8(const uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}
inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

void FilterEight(uint8_t* p, int stride, const uint8_t* qpBytes) {
  __m128i s[10];
  for (int i = 0; i < 10; ++i) s[i] = Load8(p + i * stride);
  const __m128i qp = Load8(qpBytes);

  __m128i flat = _mm_setzero_si128();
  for (int i = 0; i < 9; ++i) {
    __m128i le2 = _mm_cmpgt_epi16(_mm_set1_epi16(3), Abs16(_mm_sub_epi16(s[i], s[i + 1])));
    flat = _mm_sub_epi16(flat, le2);
  }
  const __m128i dcMode = _mm_cmpgt_epi16(flat, _mm_set1_epi16(5));

  // DC offset mode.
  __m128i hi = s[1], lo = s[1];
  for (int i = 2; i <= 8; ++i) {
    hi = _mm_max_epi16(hi, s[i]);
    lo = _mm_min_epi16(lo, s[i]);
  }
  const __m128i dcApply = _mm_and_si128(dcMode, _mm_cmpgt_epi16(_mm_add_epi16(qp, qp), _mm_sub_epi16(hi, lo)));
  const __m128i p0 = Select(_mm_cmpgt_epi16(qp, Abs16(_mm_sub_epi16(s[1], s[0]))), s[0], s[1]);
  const __m128i p9 = Select(_mm_cmpgt_epi16(qp, Abs16(_mm_sub_epi16(s[8], s[9]))), s[9], s[8]);
  // p_m for m = -3..12 at index m + 3; taps 1 1 2 2 4 2 2 1 1 around each n.
  __m128i P[16];
  for (int k = 0; k < 16; ++k) {
    const int mIndex = k - 3;
    P[k] = mIndex < 1 ? p0 : (mIndex > 8 ? p9 : s[mIndex]);
  }
  const __m128i eight = _mm_set1_epi16(8);
  __m128i smooth[10];
  for (int n = 1; n <= 8; ++n) {
    const __m128i* c = P + n + 3;  // c[0] is p_n
    __m128i outer = _mm_add_epi16(_mm_add_epi16(c[-4], c[-3]), _mm_add_epi16(c[3], c[4]));
    __m128i inner = _mm_add_epi16(_mm_add_epi16(c[-2], c[-1]), _mm_add_epi16(c[1], c[2]));
    __m128i sum = _mm_add_epi16(_mm_add_epi16(outer, _mm_slli_epi16(inner, 1)), _mm_slli_epi16(c[0], 2));
    smooth[n] = _mm_srai_epi16(_mm_add_epi16(sum, eight), 4);
  }

  // Default mode.
  auto weighted = [&](int a, int b, int c, int d) {
    __m128i x = _mm_sub_epi16(s[a], s[b]), y = _mm_sub_epi16(s[c], s[d]);
    return _mm_sub_epi16(_mm_add_epi16(x, x), _mm_add_epi16(_mm_slli_epi16(y, 2), y));
  };
  const __m128i a0 = weighted(3, 6, 4, 5), a1 = weighted(1, 4, 2, 3), a2 = weighted(5, 8, 6, 7);
  const __m128i abs0 = Abs16(a0);
  const __m128i m = _mm_min_epi16(Abs16(a1), Abs16(a2));
  const __m128i gap = _mm_sub_epi16(abs0, m);
  const __m128i defApply = _mm_andnot_si128(
      dcMode, _mm_and_si128(_mm_cmpgt_epi16(_mm_slli_epi16(qp, 3), abs0),
                            _mm_cmpgt_epi16(gap, _mm_setzero_si128())));
  __m128i d = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(gap, 2), gap), _mm_set1_epi16(32)), 6);
  d = Select(_mm_cmpgt_epi16(a0, _mm_setzero_si128()), _mm_sub_epi16(_mm_setzero_si128(), d), d);
  const __m128i t = _mm_sub_epi16(s[4], s[5]);
  const __m128i limit = _mm_srai_epi16(_mm_sub_epi16(t, _mm_srai_epi16(t, 15)), 1);  // t / 2 toward zero
  d = _mm_min_epi16(_mm_max_epi16(d, _mm_min_epi16(limit, _mm_setzero_si128())),
                    _mm_max_epi16(limit, _mm_setzero_si128()));

  for (int n = 1; n <= 8; ++n) {
    __m128i v = Select(dcApply, smooth[n], s[n]);
    if (n == 4) v = Select(defApply, _mm_sub_epi16(s[4], d), v);
    if (n == 5) v = Select(defApply, _mm_add_epi16(s[5], d), v);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + n * stride), _mm_packus_epi16(v, v));
  }
}

}  // namespace

void FilterEdgeRowSse2(uint8_t* p, int stride, int width, const uint8_t* qp) {
  int x = 0;
  for (; x + 8 <= width; x += 8) FilterEight(p + x, stride, qp + x);
  for (; x < width; ++x) FilterEdgeSamples(p + x, stride, qp[x]);
}

void PostFilterSse2(const PostFilterArgs& a) { PostFilterWith(a, FilterEdgeRowSse2); }

}  // namespace video

#else

namespace video {
void FilterEdgeRowSse2(uint8_t* p, int stride, int width, const uint8_t* qp) {
  FilterEdgeRowPlain(p, stride, width, qp);
}
void PostFilterSse2(const PostFilterArgs& a) { PostFilterPlain(a); }
}  // namespace video

#endif
