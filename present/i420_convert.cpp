#include "present/i420_convert.h"

#include <cstddef>
#include <cstring>

#include "present/render_modes.h"
#include "present/rgb_tables.h"

namespace present {

namespace {

struct Planes {
  const uint8_t* y;
  const uint8_t* u;
  const uint8_t* v;
  int width, height;
  Planes(const uint8_t* src, int w, int h)
      : y(src), u(src + ptrdiff_t(w) * h), v(u + ptrdiff_t(w / 2) * (h / 2)), width(w), height(h) {}
  const uint8_t* YRow(int r) const { return y + ptrdiff_t(r) * width; }
  const uint8_t* URow(int r) const { return u + ptrdiff_t(r) * (width / 2); }
  const uint8_t* VRow(int r) const { return v + ptrdiff_t(r) * (width / 2); }
};

inline uint8_t* Row(uint8_t* base, int row, int pitch) { return base + ptrdiff_t(row) * pitch; }

// Calls pair(y0, y1, u, v, d0, d1) for every two rows sharing a chroma row;
// bottom-up puts picture row r at buffer row height - 1 - r.
template <typename Pair>
void ForEachRowPair(const uint8_t* src, uint8_t* dst, int width, int height, int pitch, bool bottomUp, Pair pair) {
  const Planes p(src, width, height);
  auto out = [&](int r) { return Row(dst, bottomUp ? height - 1 - r : r, pitch); };
  for (int r = 0; r < height; r += 2) {
    const bool twin = r + 1 < height;
    pair(p.YRow(r), twin ? p.YRow(r + 1) : nullptr, p.URow(r / 2), p.VRow(r / 2), out(r), twin ? out(r + 1) : nullptr);
  }
}

struct Terms {
  int r, g, b;
};

// Pixel writers of the RGB formats.
struct Rgb32Pixel {
  static constexpr int kBytes = 4;
  static void Put(uint8_t* p, int y, const Terms& t) {  // p[3] stays as it was
    p[0] = ClipByte(y + t.b);
    p[1] = ClipByte(y + t.g);
    p[2] = ClipByte(y + t.r);
  }
};
struct Bgr24Pixel {
  static constexpr int kBytes = 3;
  static void Put(uint8_t* p, int y, const Terms& t) {
    p[0] = ClipByte(y + t.b);
    p[1] = ClipByte(y + t.g);
    p[2] = ClipByte(y + t.r);
  }
};
struct Rgb565Pixel {
  static constexpr int kBytes = 2;
  static void Put(uint8_t* p, int y, const Terms& t) {
    const unsigned v = unsigned(ClipByte(y + t.r) >> 3) << 11 | unsigned(ClipByte(y + t.g) >> 2) << 5 |
                       unsigned(ClipByte(y + t.b) >> 3);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
  }
};
struct Rgb555Pixel {
  static constexpr int kBytes = 2;
  static void Put(uint8_t* p, int y, const Terms& t) {
    const unsigned v = unsigned(ClipByte(y + t.r) >> 3) << 10 | unsigned(ClipByte(y + t.g) >> 3) << 5 |
                       unsigned(ClipByte(y + t.b) >> 3);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
  }
};

template <typename Pixel>
void RgbRowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* d0, uint8_t* d1,
                int x0, int x1) {
  const RgbTables& t = YuvToRgbTables();
  for (int x = x0; x < x1; x += 2) {
    const int cb = u[x / 2], cr = v[x / 2];
    const Terms terms{t.rCr[cr], t.gCb[cb] + t.gCr[cr], t.bCb[cb]};
    const bool second = x + 1 < x1;  // an odd width ends with half a pair
    uint8_t* p0 = d0 + ptrdiff_t(x) * Pixel::kBytes;
    Pixel::Put(p0, y0[x], terms);
    if (second) Pixel::Put(p0 + Pixel::kBytes, y0[x + 1], terms);
    if (!d1) continue;
    uint8_t* p1 = d1 + ptrdiff_t(x) * Pixel::kBytes;
    Pixel::Put(p1, y1[x], terms);
    if (second) Pixel::Put(p1 + Pixel::kBytes, y1[x + 1], terms);
  }
}

template <typename Pixel>
void ConvertRgb(const uint8_t* src, uint8_t* dst, int width, int height, int pitch, bool bottomUp) {
  ForEachRowPair(src, dst, width, height, pitch, bottomUp,
                 [width](const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* d0,
                         uint8_t* d1) { RgbRowPair<Pixel>(y0, y1, u, v, d0, d1, 0, width); });
}

void CopyPlane(const uint8_t* src, int srcStride, int width, int rows, uint8_t* dst, int pitch) {
  for (int r = 0; r < rows; ++r) std::memcpy(Row(dst, r, pitch), src + ptrdiff_t(r) * srcStride, size_t(width));
}

// Planar formats: the luma plane, then two chroma planes at a quarter of the
// pitch (1/2 x 1/2) or a sixteenth of the area (1/4 x 1/4).
void ConvertPlanar(const uint8_t* src, uint8_t* dst, int width, int height, int pitch, bool crFirst) {
  const Planes p(src, width, height);
  CopyPlane(p.y, width, width, height, dst, pitch);
  uint8_t* first = dst + ptrdiff_t(pitch) * height;
  uint8_t* second = first + ptrdiff_t(pitch / 2) * (height / 2);
  CopyPlane(crFirst ? p.v : p.u, width / 2, width / 2, height / 2, first, pitch / 2);
  CopyPlane(crFirst ? p.u : p.v, width / 2, width / 2, height / 2, second, pitch / 2);
}

void SubsampleChroma(const uint8_t* plane, int chromaWidth, int width, int height, uint8_t* dst, int pitch) {
  for (int r = 0; r < height / 4; ++r) {
    const uint8_t* in = plane + ptrdiff_t(2 * r) * chromaWidth;
    uint8_t* out = Row(dst, r, pitch);
    for (int c = 0; c < width / 4; ++c) out[c] = in[2 * c];
  }
}

// Packed 4:2:2: each chroma row of the picture serves two picture rows.
void ConvertPacked(const uint8_t* src, uint8_t* dst, int width, int height, int pitch, bool chromaFirst) {
  const Planes p(src, width, height);
  const int lumaAt = chromaFirst ? 1 : 0, chromaAt = chromaFirst ? 0 : 1;
  for (int r = 0; r < height; ++r) {
    const uint8_t* y = p.YRow(r);
    const uint8_t* u = p.URow(r / 2);
    const uint8_t* v = p.VRow(r / 2);
    uint8_t* out = Row(dst, r, pitch);
    for (int i = 0; i < width / 2; ++i, out += 4) {
      out[lumaAt] = y[2 * i];
      out[chromaAt] = u[i];
      out[lumaAt + 2] = y[2 * i + 1];
      out[chromaAt + 2] = v[i];
    }
  }
}

}  // namespace

namespace detail {
void Rgb32RowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* d0, uint8_t* d1,
                  int x0, int x1) {
  RgbRowPair<Rgb32Pixel>(y0, y1, u, v, d0, d1, x0, x1);
}
void Bgr24RowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* d0, uint8_t* d1,
                  int x0, int x1) {
  RgbRowPair<Bgr24Pixel>(y0, y1, u, v, d0, d1, x0, x1);
}
}  // namespace detail

void ConvertToYV12(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertPlanar(src, dst, width, height, pitch, true);
}

void ConvertToI420(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertPlanar(src, dst, width, height, pitch, false);
}

void ConvertToYVU9(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  const Planes p(src, width, height);
  CopyPlane(p.y, width, width, height, dst, pitch);
  uint8_t* cr = dst + ptrdiff_t(pitch) * height;
  uint8_t* cb = cr + ptrdiff_t(pitch / 4) * (height / 4);
  SubsampleChroma(p.v, width / 2, width, height, cr, pitch / 4);
  SubsampleChroma(p.u, width / 2, width, height, cb, pitch / 4);
}

void ConvertToYUY2(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertPacked(src, dst, width, height, pitch, false);
}

void ConvertToUYVY(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertPacked(src, dst, width, height, pitch, true);
}

void ConvertToRgb565(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertRgb<Rgb565Pixel>(src, dst, width, height, pitch, false);
}

void ConvertToRgb555(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertRgb<Rgb555Pixel>(src, dst, width, height, pitch, false);
}

void ConvertToRgb32Plain(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertRgb<Rgb32Pixel>(src, dst, width, height, pitch, false);
}

void ConvertToDibPlain(const uint8_t* src, uint8_t* dst, int width, int height, int pitch) {
  ConvertRgb<Bgr24Pixel>(src, dst, width, height, pitch, true);
}

void InitPlainConverters(ConverterTable& t) {
  t.rgb32 = ConvertToRgb32Plain;
  t.dib = ConvertToDibPlain;
}

void SelectConverters(ConverterTable& t, const os::CpuFeatures& cpu) {
  InitPlainConverters(t);
  if (cpu.sse2) InitSse2Converters(t);
}

const ConverterTable& ActiveConverters() {
  static const ConverterTable table = [] {
    ConverterTable t;
    SelectConverters(t, os::DetectCpuFeatures());
    return t;
  }();
  return table;
}

ConvertFn ConverterFor(uint32_t mode) {
  switch (mode) {
    case kFourccYV12: return ConvertToYV12;
    case kFourccI420:
    case kFourccIYUV: return ConvertToI420;
    case kFourccYVU9: return ConvertToYVU9;
    case kFourccYUY2: return ConvertToYUY2;
    case kFourccUYVY: return ConvertToUYVY;
    case kModeRgb565: return ConvertToRgb565;
    case kModeRgb555: return ConvertToRgb555;
    case kModeRgb32:
    case kModeGdi: return ActiveConverters().rgb32;
    case kModeDib: return ActiveConverters().dib;
    default: return nullptr;
  }
}

void I420ToBgr24BottomUp(const uint8_t* y, const uint8_t* u, const uint8_t* v, int width, int height, uint8_t* out,
                         int stride) {
  for (int r = 0; r < height; r += 2) {
    const bool twin = r + 1 < height;
    detail::Bgr24RowPair(y + ptrdiff_t(r) * width, twin ? y + ptrdiff_t(r + 1) * width : nullptr,
                         u + ptrdiff_t(r / 2) * (width / 2), v + ptrdiff_t(r / 2) * (width / 2),
                         Row(out, height - 1 - r, stride), twin ? Row(out, height - 2 - r, stride) : nullptr, 0,
                         width);
  }
}

}  // namespace present
