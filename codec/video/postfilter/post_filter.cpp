// Deblocking of the output copy (the reference picture is never filtered).
#include "codec/video/postfilter/post_filter.h"

#include <cstdlib>
#include <cstring>

namespace video {

void FilterEdgeSamples(uint8_t* p, int step, int qp) {
  int s[10];
  for (int i = 0; i < 10; ++i) s[i] = p[i * step];
  int flat = 0;
  for (int i = 0; i < 9; ++i) flat += std::abs(s[i] - s[i + 1]) <= 2;

  if (flat >= 6) {
    // Smooth region: low-pass the eight samples if the edge is a small step.
    int lo = s[1], hi = s[1];
    for (int i = 2; i <= 8; ++i) {
      lo = s[i] < lo ? s[i] : lo;
      hi = s[i] > hi ? s[i] : hi;
    }
    if (hi - lo >= 2 * qp) return;
    int ext[18];
    int p0 = std::abs(s[1] - s[0]) < qp ? s[0] : s[1];
    int p9 = std::abs(s[8] - s[9]) < qp ? s[9] : s[8];
    // ext[m + 4] holds p_m for m = -4..13.
    for (int m = -4; m <= 13; ++m) ext[m + 4] = m < 1 ? p0 : (m > 8 ? p9 : s[m]);
    static const int kTaps[9] = {1, 1, 2, 2, 4, 2, 2, 1, 1};
    for (int n = 1; n <= 8; ++n) {
      int sum = 8;
      for (int k = -4; k <= 4; ++k) sum += kTaps[k + 4] * ext[n + k + 4];
      p[n * step] = static_cast<uint8_t>(sum >> 4);
    }
    return;
  }

  // Default mode: correct only the two samples next to the edge.
  int a0 = 2 * (s[3] - s[6]) - 5 * (s[4] - s[5]);
  int a1 = 2 * (s[1] - s[4]) - 5 * (s[2] - s[3]);
  int a2 = 2 * (s[5] - s[8]) - 5 * (s[6] - s[7]);
  int abs0 = std::abs(a0);
  if (abs0 >= 8 * qp) return;
  int m = std::abs(a1) < std::abs(a2) ? std::abs(a1) : std::abs(a2);
  if (abs0 - m <= 0) return;
  int d = (5 * (abs0 - m) + 32) >> 6;
  if (a0 > 0) d = -d;
  int limit = (s[4] - s[5]) / 2;
  if (limit >= 0) {
    d = d < 0 ? 0 : (d > limit ? limit : d);
  } else {
    d = d > 0 ? 0 : (d < limit ? limit : d);
  }
  p[4 * step] = static_cast<uint8_t>(s[4] - d);
  p[5 * step] = static_cast<uint8_t>(s[5] + d);
}

void FilterEdgeRowPlain(uint8_t* p, int stride, int width, const uint8_t* qp) {
  for (int x = 0; x < width; ++x) FilterEdgeSamples(p + x, stride, qp[x]);
}

namespace {

void Transpose(const uint8_t* src, int srcStride, int w, int h, uint8_t* dst) {
  // dst is h wide and w high; 8x8 tiles keep both sides in cache (w, h are multiples of 8).
  for (int y0 = 0; y0 < h; y0 += 8) {
    for (int x0 = 0; x0 < w; x0 += 8) {
      const uint8_t* s = src + y0 * srcStride + x0;
      uint8_t* d = dst + x0 * h + y0;
      for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) d[x * h + y] = s[y * srcStride + x];
    }
  }
}

// mbShift: 4 for luma (16 samples per macroblock), 3 for chroma.
void FilterPlane(uint8_t* plane, uint8_t* scratch, uint8_t* qp, int w, int h, const uint8_t* mbQuant,
                 int mbWidth, int mbShift, EdgeRowFn edgeRow) {
  for (int y = 8; y <= h - 8; y += 8) {
    const uint8_t* qrow = mbQuant + (y >> mbShift) * mbWidth;
    for (int x = 0; x < w; ++x) qp[x] = qrow[x >> mbShift];
    edgeRow(plane + (y - 5) * w, w, w, qp);
  }
  // Vertical edges: each row's edges are filtered left to right, as in place.
  Transpose(plane, w, w, h, scratch);
  for (int x = 8; x <= w - 8; x += 8) {
    for (int y = 0; y < h; ++y) qp[y] = mbQuant[(y >> mbShift) * mbWidth + (x >> mbShift)];
    edgeRow(scratch + (x - 5) * h, h, h, qp);
  }
  Transpose(scratch, h, h, w, plane);
}

}  // namespace

void PostFilterWith(const PostFilterArgs& a, EdgeRowFn edgeRow) {
  uint8_t* dst[3];
  dst[0] = a.out;
  dst[1] = a.out + a.width * a.height;
  dst[2] = dst[1] + (a.width / 2) * (a.height / 2);
  for (int p = 0; p < 3; ++p) {
    int w = p ? a.width / 2 : a.width;
    int h = p ? a.height / 2 : a.height;
    for (int y = 0; y < h; ++y) std::memcpy(dst[p] + y * w, a.planes[p] + y * a.strides[p], w);
    FilterPlane(dst[p], a.scratch, a.qpRow, w, h, a.mbQuant, a.mbWidth, p ? 3 : 4, edgeRow);
  }
}

void PostFilterPlain(const PostFilterArgs& a) { PostFilterWith(a, FilterEdgeRowPlain); }

}  // namespace video
