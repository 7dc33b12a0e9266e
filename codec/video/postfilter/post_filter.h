#pragma once
#include "codec/video/kernels/kernel_table.h"

namespace video {

// Copies the unpadded picture into args.out (I420) and deblocks its inner 8x8
// block edges: horizontal edges first, then vertical ones, luma and chroma.
void PostFilterPlain(const PostFilterArgs& args);
void PostFilterSse2(const PostFilterArgs& args);

// The whole filter with a given edge-row kernel: horizontal edges on the copy,
// then vertical edges as horizontal ones of the transposed copy.
void PostFilterWith(const PostFilterArgs& args, EdgeRowFn edgeRow);
void FilterEdgeRowPlain(uint8_t* p, int stride, int width, const uint8_t* qp);
void FilterEdgeRowSse2(uint8_t* p, int stride, int width, const uint8_t* qp);

// Filters the ten samples p[0], p[step], ... p[9*step] across the edge between
// the fifth and the sixth; exposed for tests.
void FilterEdgeSamples(uint8_t* p, int step, int qp);

}  // namespace video
