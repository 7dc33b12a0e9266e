#pragma once
// Macroblock layer internals shared by the picture loops.
#include "codec/video/decoder_context.h"

namespace codec::video {

extern const uint8_t kZigzagScan[64];
extern const uint8_t kZigzagScanTransposed[64];
extern const uint8_t kAlternateHorizontalScan[64];
extern const uint8_t kAlternateVerticalScan[64];

// Syntax elements (mb_syntax.cpp). Each returns false (or -1) on an invalid code.
bool ReadMcbpc(DecoderContext& d, bool p_vop, int* mb_type, int* cbpc);
int ReadCbpy(DecoderContext& d);
void ApplyDquant(DecoderContext& d);
bool UsesIntraDcVlc(const DecoderContext& d);
bool ReadMotionVectors(DecoderContext& d, int mb);
// Inline: read for nearly every intra block.
inline bool ReadDcDifferential(DecoderContext& d, bool luma, int* diff) {
  BitReader& br = d.hc.br;
  const VlcEntry& e = (luma ? d.vlc->dcLuma : d.vlc->dcChroma)[br.Show(VlcTables::kDcBits)];
  if (!e.len) return false;
  br.Skip(e.len);
  int size = e.value;
  if (size == 0) {
    *diff = 0;
    return true;
  }
  int code = static_cast<int>(br.Get(size));
  *diff = (code >> (size - 1)) ? code : code - ((1 << size) - 1);
  if (size > 8) br.Skip(1);  // marker
  return true;
}
// Run/level events into block[scan[pos]] from pos = first on. Returns the scan
// position after the last coefficient, or -1 on an invalid code or overrun.
int ReadCoefficients(DecoderContext& d, int16_t* block, const uint8_t* scan, int first, bool intra);
// The same for an inter block in zigzag order into the transposed layout of
// kernel slot 20, each level already inversely quantised with quant.
int ReadInterCoefficients(DecoderContext& d, int16_t* block, int quant);
// Puts one event's level at scan position *pos + run and moves *pos past it;
// false when the run leads out of the block.
inline bool PlaceEvent(int16_t* block, const uint8_t* scan, int* pos, int run, int level) {
  *pos += run;
  if (*pos >= 64) return false;
  block[scan[*pos]] = static_cast<int16_t>(level);
  ++*pos;
  return true;
}
// The same with the reversible code (reversible_coefficients.cpp).
int ReadReversibleCoefficients(DecoderContext& d, int16_t* block, const uint8_t* scan, int first,
                               bool intra);

// Reconstruction (intra_blocks.cpp, inter_blocks.cpp).
bool DecodeIntraMacroblock(DecoderContext& d, int mb, const int16_t* dc_diffs);
bool DecodeShortIntraMacroblock(DecoderContext& d, int mb);
void PredictInterMacroblock(DecoderContext& d, int mb);
bool DecodeInterResidual(DecoderContext& d, int mb);
void CopyNotCoded(DecoderContext& d, int mb);
void SetNotCoded(DecoderContext& d, MacroblockInfo& m);
// Copies the work buffer into the current picture (kernel slot 2).
void WriteMacroblock(DecoderContext& d, int mb);

// One macroblock of the ordinary syntax or the short video header.
bool DecodeMacroblock(DecoderContext& d, int mb);

// The loops (picture_loops.cpp, partitioned_loop.cpp, gob_loop.cpp).
void OrdinaryLoop(DecoderContext& d, int mb);
void PartitionedLoop(DecoderContext& d, int mb);
void GobLoop(DecoderContext& d);
// After a stop inside the picture: finds the next video packet and moves *mb
// to its first macroblock; false when the picture ends here.
bool NextPacket(DecoderContext& d, int* mb);
// Conceals what is left, settles the status and, when complete, the stuffing.
void FinishPicture(DecoderContext& d, int mb, bool complete);

inline int ClampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace codec::video
