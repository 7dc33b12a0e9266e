#pragma once
// Converters from a decoded I420 picture (Y plane, then Cb, then Cr, each
// tightly packed) into every surface format the renderers use. Each takes the
// source, the destination, the picture's width and height (both even) and
// the destination pitch in bytes, and writes the whole picture:
//   YV12         Y rows at pitch P; then Cr, then Cb, rows at P/2
//   I420, IYUV   Y, then Cb, then Cr, chroma rows at P/2
//   YVU9         Y rows at P; then Cr, then Cb, each 1/4 wide and 1/4 high
//                (every second sample of every second chroma row), rows at P/4
//   YUY2, UYVY   Y0 Cb Y1 Cr / Cb Y0 Cr Y1 per pixel pair
//   RGB32        B, G, R per pixel; the fourth byte is left as it was
//   RGB565/555   16-bit pixels of the same R, G, B
//   DIB          24-bit B, G, R, rows from the bottom of the buffer upwards
// The RGB values follow rgb_tables.h; every chroma sample serves a 2x2 block.
#include <cstdint>

#include "os/cpu_features.h"

namespace present {

using ConvertFn = void (*)(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);

void ConvertToYV12(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToI420(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToYVU9(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToYUY2(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToUYVY(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToRgb565(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToRgb555(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToRgb32Plain(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);
void ConvertToDibPlain(const uint8_t* src, uint8_t* dst, int width, int height, int pitch);

// The two converters that run on every machine without YUV surfaces have
// processor-specific versions; the table starts with the plain ones and is
// overridden per processor level, like the decoder's kernels.
struct ConverterTable {
  ConvertFn rgb32 = nullptr;
  ConvertFn dib = nullptr;
};

void InitPlainConverters(ConverterTable& t);
// Overrides the slots that have an SSE2 version; returns false (and leaves
// the table alone) when this build has none.
bool InitSse2Converters(ConverterTable& t);
void SelectConverters(ConverterTable& t, const os::CpuFeatures& cpu);
// The table chosen once for this processor.
const ConverterTable& ActiveConverters();

// The converter for a surface mode or FOURCC; null for anything no converter
// writes (the refused 24-bit RGB surface among them).
ConvertFn ConverterFor(uint32_t mode);

// Bottom-up 24-bit BGR from separate planes with any row stride (snapshots).
void I420ToBgr24BottomUp(const uint8_t* y, const uint8_t* u, const uint8_t* v, int width, int height, uint8_t* out,
                         int stride);

namespace detail {
// One pair of picture rows sharing a chroma row, columns [x0, x1) (x0 even).
// d1 may be null for a last row without a partner.
void Rgb32RowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* d0, uint8_t* d1,
                  int x0, int x1);
void Bgr24RowPair(const uint8_t* y0, const uint8_t* y1, const uint8_t* u, const uint8_t* v, uint8_t* d0, uint8_t* d1,
                  int x0, int x1);
}  // namespace detail

}  // namespace present
