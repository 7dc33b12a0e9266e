#pragma once
// The video object layer header's fields, read in one place for the decoder
// (which turns them into its header state) and the recorder (which compares
// them to decide whether a new configuration still decodes a file's pictures).
// The fields are kept as read; what a decoder makes of forbidden values (a
// zero resolution, a size that is no multiple of 16) is the decoder's affair.
#include <array>
#include <cstdint>

#include "codec/video/headers/header_bits.h"

namespace codec::video {

struct VolHeader {
  uint8_t verid = 1;  // the layer's own, or its visual object's when it states none
  uint32_t parWidth = 1, parHeight = 1;
  uint8_t shape = 0;  // 0 rectangular
  uint32_t timeIncrementResolution = 0;  // as read: 0 is forbidden
  int timeIncrementBits = 1;
  bool fixedVopRate = false;
  uint32_t fixedVopTimeIncrement = 0;
  // The size and everything after it are read as for a rectangular layer,
  // whatever the shape (the decoder decodes no other).
  int width = 0;
  int height = 0;

  bool interlaced = false;
  bool obmcDisable = false;
  uint8_t spriteEnable = 0;
  int quantPrecision = 5;  // not_8_bit's fields, or their defaults
  int bitsPerPixel = 8;
  bool quantType = false;  // MPEG quantisation, with these matrices
  // load_*_quant_mat as read: a 0 ends the list early (the last value then
  // repeats), and the entries after it stay 0, so equal headers give equal arrays.
  std::array<uint8_t, 64> intraMatrix{};
  std::array<uint8_t, 64> nonIntraMatrix{};
  bool quarterSample = false;  // version 2 only
  bool complexityEstimationDisable = false;
  uint8_t estimationMethod = 0;
  // Per flag, in the order of the estimation header (shape 0-5, texture set
  // 1 6-9, texture set 2 10-13, motion 14-19, version 2 20-21): 0 in a
  // disabled group. The groups a method does not have stay 0.
  std::array<uint8_t, 22> estimationFlags{};
  // The same section's bits as read, each group's disable bit included, so
  // that a disabled group differs from an enabled one whose flags are all 0.
  uint32_t estimationBits = 0;
  bool resyncMarkerDisable = false;
  bool dataPartitioned = false;
  bool reversibleVlc = false;
  bool newpredEnable = false;  // version 2 only
  bool reducedResolutionVopEnable = false;

  // Which parts lie whole within the reader's end (each holds the ones
  // before it): through the time base's marker, through the height, through
  // reversible_vlc. A field past the end reads as 0.
  bool timeBaseRead = false;
  bool sizeRead = false;
  bool codingToolsRead = false;
  // The unit and its padding ran out inside a quantiser matrix: reading
  // stopped there (only a reader with no end of its own meets this).
  bool ranDryInMatrix = false;
};

// Reads a layer header from just after its start code. `objectVerid` is the
// visual object's version; `resolutionInForce` is the time-increment
// resolution a header stating 0 leaves in force, which sets the width of
// fixed_vop_time_increment.
void ReadVolHeader(HeaderBits& bits, uint8_t object_verid, uint32_t resolution_in_force, VolHeader* vol);

// The visual object header's version from just after its start code: the
// stated one, or `current` when it states none.
uint8_t ReadVisualObjectVerid(HeaderBits& bits, uint8_t current);

// Increments run from 0 to resolution - 1: the field is as wide as that
// value needs (at least 1 bit, at most 16), so a power of two takes no extra bit.
int TimeIncrementBits(uint32_t resolution);

}  // namespace codec::video
