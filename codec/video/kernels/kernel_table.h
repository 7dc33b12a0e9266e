#pragma once
// The arithmetic kernels of the decoder, chosen once per decoder object by
// processor features. Every variant must give the results of the plain set
// (the inverse DCT of a processor-specific set may instead stay within IEEE 1180).
#include <cstdint>

#include "os/cpu_features.h"

namespace codec::video {

// Motion-compensated prediction of a square block: dst has its own stride.
using PredictFn = void (*)(uint8_t* dst, int dst_stride, const uint8_t* src, int src_stride);

struct PostFilterArgs {
  const uint8_t* planes[3];  // origins of Y, U, V in the padded picture
  int strides[3];
  uint8_t* out;              // I420 destination, width * height * 3 / 2 bytes
  int width;
  int height;
  const uint8_t* mbQuant;    // one quantiser (1..31) per macroblock, row by row
  int mbWidth;
};

// Prediction kernel index within a group of seven: copy, then
// (horizontal, vertical, both) half positions, each with rounding 0 and 1.
enum PredictIndex { kPredCopy = 0, kPredH0, kPredH1, kPredV0, kPredV1, kPredHV0, kPredHV1 };

inline int PredictIndexFor(int half_x, int half_y, int rounding) {
  if (!half_x && !half_y) return kPredCopy;
  int base = half_x && half_y ? kPredHV0 : (half_x ? kPredH0 : kPredV0);
  return base + rounding;
}

struct KernelTable {
  void (*dequant)(int16_t* block, int quant, int first);                 // slot 1 (one block)
  void (*writeMacroblock)(const uint8_t* work, uint8_t* y, uint8_t* u, uint8_t* v,
                          int luma_stride, int chroma_stride);            // slot 2
  PredictFn predict16[7];                                                // slots 3-9
  PredictFn predict8[7];                                                 // slots 10-16
  void (*postFilter)(const PostFilterArgs& args);                        // slot 19
  // Inter residual in one go: the inverse DCT of `block`, given transposed
  // (coefficient (row r, column c) at block[c * 8 + r]), clipped and added to
  // the prediction at dst with saturation. Leaves `block` all zero, ready for
  // the next one.
  void (*idctAdd)(int16_t* block, uint8_t* dst, int stride);            // slot 20
  // A flat residual (a block with only the DC term): value in -256..255.
  void (*addFlat)(uint8_t* dst, int stride, int value);                 // slot 21
  // The intra counterpart of idctAdd: the inverse DCT of `block` (rows in
  // order) clipped to 0..255 and stored at dst. Leaves `block` all zero.
  void (*idctPut)(int16_t* block, uint8_t* dst, int stride);            // slot 22
};

// Which kernel set the processor allows.
using os::CpuFeatures;
using os::DetectCpuFeatures;

void InitPlainKernels(KernelTable& k);
// Overrides the slots that have an SSE2 version; a no-op off x86.
void InitSse2Kernels(KernelTable& k);
void InitSse2Idct(KernelTable& k);
// Plain set, then the best set the features allow.
void SelectKernels(KernelTable& k, const CpuFeatures& cpu);

// The plain inverse DCT (also the reference for tests).
void IdctPlain(int16_t* block);

}  // namespace codec::video
