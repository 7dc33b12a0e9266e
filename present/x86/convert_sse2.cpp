// SSE2 versions of the RGB32 and DIB converters. They compute the chroma
// terms of rgb_tables.h with the same integer arithmetic as the tables, so
// every pixel equals the plain converter's. Sixteen pixels of two rows are
// done at a time; what is left of a row goes through the plain code.
#include "present/i420_convert.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstddef>

#include "present/rgb_tables.h"

namespace present {
namespace {

// (factor * d + 512) >> 10 for eight signed d held as d * 64: the high half of
// the 32-bit product, plus one when its low half reaches 0x8000.
inline __m128i Term(__m128i d64, int factor) {
  const __m128i f = _mm_set1_epi16(static_cast<int16_t>(factor));
  const __m128i hi = _mm_mulhi_epi16(d64, f);
  const __m128i roundBit = _mm_srli_epi16(_mm_mullo_epi16(d64, f), 15);
  return _mm_add_epi16(hi, roundBit);
}

struct ChromaTerms {
  __m128i r[2], g[2], b[2];  // per pixel: [0] pixels 0..7, [1] pixels 8..15
};

// The terms of eight chroma samples, each repeated for its two pixels.
inline ChromaTerms LoadTerms(const uint8_t* u, const uint8_t* v) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bias = _mm_set1_epi16(128);
  const __m128i cb = _mm_slli_epi16(
      _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u)), zero), bias), 6);
  const __m128i cr = _mm_slli_epi16(
      _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v)), zero), bias), 6);
  const __m128i r = Term(cr, kRFromCr);
  const __m128i g = _mm_add_epi16(Term(cb, kGFromCb), Term(cr, kGFromCr));
  const __m128i b = Term(cb, kBFromCb);
  ChromaTerms t;
  t.r[0] = _mm_unpacklo_epi16(r, r);
  t.r[1] = _mm_unpackhi_epi16(r, r);
  t.g[0] = _mm_unpacklo_epi16(g, g);
  t.g[1] = _mm_unpackhi_epi16(g, g);
  t.b[0] = _mm_unpacklo_epi16(b, b);
  t.b[1] = _mm_unpackhi_epi16(b, b);
  return t;
}

// Sixteen pixels as four registers of B, G, R, 0.
struct Bgr0x16 {
  __m128i px[4];
};

inline Bgr0x16 Pixels(const uint8_t* y, const ChromaTerms& t) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i luma = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y));
  const __m128i lo = _mm_unpacklo_epi8(luma, zero), hi = _mm_unpackhi_epi8(luma, zero);
  // packus clips to 0..255.
  const __m128i r = _mm_packus_epi16(_mm_add_epi16(lo, t.r[0]), _mm_add_epi16(hi, t.r[1]));
  const __m128i g = _mm_packus_epi16(_mm_add_epi16(lo, t.g[0]), _mm_add_epi16(hi, t.g[1]));
  const __m128i b = _mm_packus_epi16(_mm_add_epi16(lo, t.b[0]), _mm_add_epi16(hi, t.b[1]));
  const __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
  const __m128i r0Lo = _mm_unpacklo_epi8(r, zero), r0Hi = _mm_unpackhi_epi8(r, zero);
  Bgr0x16 out;
  out.px[0] = _mm_unpacklo_epi16(bgLo, r0Lo);
  out.px[1] = _mm_unpackhi_epi16(bgLo, r0Lo);
  out.px[2] = _mm_unpacklo_epi16(bgHi, r0Hi);
  out.px[3] = _mm_unpackhi_epi16(bgHi, r0Hi);
  return out;
}

// The fourth byte of every pixel keeps what the surface held.
inline void StoreRgb32(uint8_t* d, const Bgr0x16& p) {
  const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (int i = 0; i < 4; ++i) {
    __m128i* at = reinterpret_cast<__m128i*>(d + 16 * i);
    const __m128i old = _mm_and_si128(_mm_loadu_si128(at), keep);
    _mm_storeu_si128(at, _mm_or_si128(old, p.px[i]));
  }
}

// Four B, G, R, 0 pixels squeezed into the low 12 bytes.
inline __m128i Squeeze(__m128i px) {
  const __m128i low3 = _mm_set1_epi64x(0x0000000000FFFFFFll);
  const __m128i next3 = _mm_set1_epi64x(0x0000FFFFFF000000ll);
  const __m128i q = _mm_or_si128(_mm_and_si128(px, low3), _mm_and_si128(_mm_srli_epi64(px, 8), next3));
  const __m128i firstSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
  const __m128i nextSix = _mm_set_epi32(0, -1, static_cast<int>(0xFFFF0000u), 0);
  return _mm_or_si128(_mm_and_si128(q, firstSix), _mm_and_si128(_mm_srli_si128(q, 2), nextSix));
}

inline void StoreBgr24(uint8_t* d, const Bgr0x16& p) {
  const __m128i s0 = Squeeze(p.px[0]), s1 = Squeeze(p.px[1]), s2 = Squeeze(p.px[2]), s3 = Squeeze(p.px[3]);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(s0, _mm_slli_si128(s1, 12)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), _mm_or_si128(_mm_srli_si128(s1, 4), _mm_slli_si128(s2, 8)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32), _mm_or_si128(_mm_srli_si128(s2, 8), _mm_slli_si128(s3, 4)));
}

using PlainRowPair = void (*)(const uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, uint8_t*, int,
                              int);

template <int kBytes, void (*Store)(uint8_t*, const Bgr0x16&)>
void ConvertRows(const uint8_t* src, uint8_t* dst, int width, int height, int pitch, bool bottomUp,
                 PlainRowPair plain) {
  const uint8_t* yPlane = src;
  const uint8_t* uPlane = src + ptrdiff_t(width) * height;
  const uint8_t* vPlane = uPlane + ptrdiff_t(width / 2) * (height / 2);
  const int whole = width & ~15;
  for (int r = 0; r < height; r += 2) {
    const uint8_t* y0 = yPlane + ptrdiff_t(r) * width;
    const uint8_t* y1 = r + 1 < height ? y0 + width : nullptr;
    const uint8_t* u = uPlane + ptrdiff_t(r / 2) * (width / 2);
    const uint8_t* v = vPlane + ptrdiff_t(r / 2) * (width / 2);
    uint8_t* d0 = dst + ptrdiff_t(bottomUp ? height - 1 - r : r) * pitch;
    uint8_t* d1 = y1 ? dst + ptrdiff_t(bottomUp ? height - 2 - r : r + 1) * pitch : nullptr;
    for (int x = 0; x < whole; x += 16) {
      const ChromaTerms t = LoadTerms(u + x / 2, v + x / 2);
      Store(d0 + ptrdiff_t(x) * kBytes, Pixels(y0 + x, t));
      if (y1) Store(d1 + ptrdiff_t(x) * kBytes, Pixels(y1 + x, t));
    }
    if (whole < width) plain(y0, y1, u, v, d0, d1, whole, width);
  }
}

void ConvertToRgb32Sse2(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertRows<4, StoreRgb32>(src, dst, width, height, pitch, false, detail::Rgb32RowPair);
}

void ConvertToDibSse2(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertRows<3, StoreBgr24>(src, dst, width, height, pitch, true, detail::Bgr24RowPair);
}

}  // namespace

bool InitSse2Converters(ConverterTable& t) {
  t.rgb32 = ConvertToRgb32Sse2;
  t.dib = ConvertToDibSse2;
  return true;
}

}  // namespace present

#else

namespace present {
bool InitSse2Converters(ConverterTable&) { return false; }
}  // namespace present

#endif
