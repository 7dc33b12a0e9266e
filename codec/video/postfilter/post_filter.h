#pragma once
#include "codec/video/kernels/kernel_table.h"

namespace codec::video {

// Copies the unpadded picture into args.out (I420) and deblocks its inner 8x8
// block edges there, in place: horizontal edges first, then vertical ones,
// luma and chroma.
void PostFilterPlain(const PostFilterArgs& args);
void PostFilterSse2(const PostFilterArgs& args);

// One plane of the output copy while it is filtered. Width and height are
// multiples of 8; rows follow each other without gaps (stride = width).
struct FilterPlane {
  uint8_t* data;
  int width;
  int height;
  const uint8_t* mbQuant;  // one quantiser (1..31) per macroblock, row by row
  int mbWidth;
  int mbShift;  // 4 for luma (16 samples per macroblock), 3 for chroma
};

// The quantiser of the macroblock holding sample (x, y).
int QuantAt(const FilterPlane& plane, int x, int y);

// The two halves of a filter. horizontalEdge filters the edge between rows
// y - 1 and y across the whole width; verticalEdges filters the vertical edges
// of rows y .. y + rows - 1 (rows is 16, or 8 for the last band), left to right.
struct EdgeKernels {
  void (*horizontalEdge)(const FilterPlane& plane, int y);
  void (*verticalEdges)(const FilterPlane& plane, int y, int rows);
};

// The whole filter with the given kernels. It walks each plane in bands of
// 16 rows, copying rows just before they are first read, and gives the same
// result as filtering every horizontal edge of the plane before any vertical one.
void PostFilterWith(const PostFilterArgs& args, const EdgeKernels& kernels);

// Filters the ten samples p[0], p[step], ... p[9*step] across the edge between
// the fifth and the sixth; the reference for every kernel, exposed for tests.
void FilterEdgeSamples(uint8_t* p, int step, int qp);

}  // namespace codec::video
