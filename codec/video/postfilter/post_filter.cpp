// Deblocking of the output copy (the reference picture is never filtered).
#include "codec/video/postfilter/post_filter.h"

#include <cstdlib>
#include <cstring>

namespace codec::video {

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

int QuantAt(const FilterPlane& p, int x, int y) {
  return p.mbQuant[(y >> p.mbShift) * p.mbWidth + (x >> p.mbShift)];
}

namespace {

void HorizontalEdgePlain(const FilterPlane& p, int y) {
  uint8_t* s0 = p.data + (y - 5) * p.width;
  for (int x = 0; x < p.width; ++x) FilterEdgeSamples(s0 + x, p.width, QuantAt(p, x, y));
}

void VerticalEdgesPlain(const FilterPlane& p, int y, int rows) {
  for (int r = y; r < y + rows; ++r) {
    uint8_t* row = p.data + r * p.width;
    for (int x = 8; x <= p.width - 8; x += 8) FilterEdgeSamples(row + x - 5, 1, QuantAt(p, x, r));
  }
}

// A horizontal edge at y reads rows y - 5 .. y + 4 and writes y - 4 .. y + 3;
// vertical edges stay within their rows. So the vertical edges of a band may
// run once the horizontal edges up to the band's lower border are done, and
// the later horizontal edges never read the band's rows: the plane is filtered
// while its 16 current rows are in the cache.
void FilterPlaneInPlace(const FilterPlane& p, const uint8_t* src, int src_stride, const EdgeKernels& k) {
  const int w = p.width, h = p.height;
  int copied = 0;
  auto copyUpTo = [&](int rows) {
    for (; copied < rows && copied < h; ++copied) std::memcpy(p.data + copied * w, src + copied * src_stride, w);
  };
  for (int y0 = 0; y0 < h; y0 += 16) {
    const int rows = h - y0 >= 16 ? 16 : 8;
    for (int edge = y0 + 8; edge <= y0 + rows && edge <= h - 8; edge += 8) {
      copyUpTo(edge + 5);
      k.horizontalEdge(p, edge);
    }
    copyUpTo(y0 + rows);
    k.verticalEdges(p, y0, rows);
  }
}

}  // namespace

void PostFilterWith(const PostFilterArgs& a, const EdgeKernels& k) {
  uint8_t* dst[3];
  dst[0] = a.out;
  dst[1] = a.out + a.width * a.height;
  dst[2] = dst[1] + (a.width / 2) * (a.height / 2);
  for (int i = 0; i < 3; ++i) {
    FilterPlane p{dst[i], i ? a.width / 2 : a.width, i ? a.height / 2 : a.height, a.mbQuant, a.mbWidth, i ? 3 : 4};
    FilterPlaneInPlace(p, a.planes[i], a.strides[i], k);
  }
}

void PostFilterPlain(const PostFilterArgs& a) { PostFilterWith(a, {HorizontalEdgePlain, VerticalEdgesPlain}); }

}  // namespace codec::video
