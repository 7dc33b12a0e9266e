// The video object layer header, field by field. Every field is read through
// HeaderBits, in the decoder's order and widths, so the decoder's reader ends
// exactly where it always has.
#include "codec/video/headers/vol_header.h"

namespace codec::video {
namespace {

void ReadAspectRatio(HeaderBits& bits, VolHeader* vol) {
  static const uint8_t kPar[6][2] = {{1, 1}, {1, 1}, {12, 11}, {10, 11}, {16, 11}, {40, 33}};
  const uint32_t aspect = bits.Get(4);
  if (aspect == 15) {  // extended PAR
    vol->parWidth = bits.Get(8);
    vol->parHeight = bits.Get(8);
    return;
  }
  const int i = aspect <= 5 ? static_cast<int>(aspect) : 1;
  vol->parWidth = kPar[i][0];
  vol->parHeight = kPar[i][1];
}

void SkipControlParameters(HeaderBits& bits) {
  if (!bits.Get(1)) return;  // vol_control_parameters
  bits.Get(2);               // chroma_format
  bits.Get(1);               // low_delay
  if (!bits.Get(1)) return;  // vbv_parameters: bit rate, buffer size, occupancy
  bits.Get(15 + 1 + 15 + 1);
  bits.Get(15 + 1 + 3 + 11 + 1);
  bits.Get(15 + 1);
}

// Returns false when the unit ran out inside the matrix (reading stops).
bool ReadQuantMatrix(HeaderBits& bits, std::array<uint8_t, 64>* matrix) {
  if (!bits.Get(1)) return true;  // load_*_quant_mat
  for (uint8_t& entry : *matrix) {
    const uint32_t value = bits.Get(8);
    if (value == 0 || bits.Overrun()) return true;
    entry = static_cast<uint8_t>(value);
    if (bits.Exhausted()) return false;
  }
  return true;
}

// sprite_enable 1 (static) or 2 (GMC): the sprite fields that follow it.
void SkipSpriteFields(HeaderBits& bits, uint8_t sprite_enable) {
  if (sprite_enable != 1 && sprite_enable != 2) return;
  if (sprite_enable == 1)
    for (int i = 0; i < 4; ++i) bits.Get(13 + 1);  // sprite size and position, markers
  bits.Get(6 + 2 + 1);  // warping points, warping accuracy, brightness change
  if (sprite_enable == 1) bits.Get(1);  // low_latency_sprite_enable
}

void ReadComplexityEstimation(HeaderBits& bits, VolHeader* vol) {
  vol->estimationMethod = static_cast<uint8_t>(bits.Get(2));
  if (vol->estimationMethod > 1) return;
  size_t next = 0;
  auto group = [&](int n) {  // a disable bit, then the group's flags when enabled
    const uint32_t disabled = bits.Get(1);
    vol->estimationBits = vol->estimationBits << 1 | disabled;
    if (disabled) {
      next += static_cast<size_t>(n);
      return;
    }
    const uint32_t flags = bits.Get(n);  // read whole: a group cut short reads as 0
    vol->estimationBits = vol->estimationBits << n | flags;
    for (int i = n - 1; i >= 0; --i) vol->estimationFlags[next++] = static_cast<uint8_t>(flags >> i & 1);
  };
  group(6);     // shape: opaque, transparent, intra_cae, inter_cae, no_update, upsampling
  group(4);     // texture set 1: intra, inter, inter4v, not_coded blocks
  bits.Get(1);  // marker
  group(4);     // texture set 2: dct_coefs, dct_lines, vlc_symbols, vlc_bits
  group(6);     // motion: apm, npm, interpolate_mc_q, forw_back_mc_q, halfpel2, halfpel4
  bits.Get(1);  // marker
  if (vol->estimationMethod == 1) group(2);  // version 2: sadct, quarterpel
}

// From the marker after the height to reversible_vlc. Returns false when the
// unit ran out inside a quantiser matrix.
bool ReadCodingTools(HeaderBits& bits, VolHeader* vol) {
  bits.Get(1);  // marker
  vol->interlaced = bits.Get(1);
  vol->obmcDisable = bits.Get(1);
  vol->spriteEnable = static_cast<uint8_t>(bits.Get(vol->verid == 1 ? 1 : 2));
  SkipSpriteFields(bits, vol->spriteEnable);
  if (bits.Get(1)) {  // not_8_bit
    vol->quantPrecision = static_cast<int>(bits.Get(4));
    vol->bitsPerPixel = static_cast<int>(bits.Get(4));
  }
  vol->quantType = bits.Get(1);
  if (vol->quantType) {
    if (!ReadQuantMatrix(bits, &vol->intraMatrix) || !ReadQuantMatrix(bits, &vol->nonIntraMatrix)) return false;
  }
  if (vol->verid != 1) vol->quarterSample = bits.Get(1);
  vol->complexityEstimationDisable = bits.Get(1);
  if (!vol->complexityEstimationDisable) ReadComplexityEstimation(bits, vol);
  vol->resyncMarkerDisable = bits.Get(1);
  vol->dataPartitioned = bits.Get(1);
  if (vol->dataPartitioned) vol->reversibleVlc = bits.Get(1);
  return true;
}

}  // namespace

int TimeIncrementBits(uint32_t resolution) {
  int bits = 1;
  while (bits < 16 && (1u << bits) < resolution) ++bits;
  return bits;
}

void ReadVolHeader(HeaderBits& bits, uint8_t object_verid, uint32_t resolution_in_force, VolHeader* vol) {
  *vol = VolHeader();
  bits.Get(1);  // random_accessible_vol
  bits.Get(8);  // video_object_type_indication
  vol->verid = object_verid;
  if (bits.Get(1)) {  // is_object_layer_identifier: verid, priority
    vol->verid = static_cast<uint8_t>(bits.Get(4));
    bits.Get(3);
  }
  ReadAspectRatio(bits, vol);
  SkipControlParameters(bits);
  vol->shape = static_cast<uint8_t>(bits.Get(2));
  if (vol->shape == 3 && vol->verid != 1) bits.Get(4);  // video_object_layer_shape_extension
  bits.Get(1);
  vol->timeIncrementResolution = bits.Get(16);
  bits.Get(1);
  vol->timeBaseRead = !bits.Overrun();
  vol->timeIncrementBits =
      TimeIncrementBits(vol->timeIncrementResolution ? vol->timeIncrementResolution : resolution_in_force);
  vol->fixedVopRate = bits.Get(1);
  if (vol->fixedVopRate) vol->fixedVopTimeIncrement = bits.Get(vol->timeIncrementBits);
  bits.Get(1);
  vol->width = static_cast<int>(bits.Get(13));
  bits.Get(1);
  vol->height = static_cast<int>(bits.Get(13));
  vol->sizeRead = !bits.Overrun();
  if (!ReadCodingTools(bits, vol)) {
    vol->ranDryInMatrix = true;
    return;
  }
  vol->codingToolsRead = !bits.Overrun();
  if (vol->verid != 1) {
    vol->newpredEnable = bits.Get(1);
    if (vol->newpredEnable) bits.Get(2 + 1);  // requested_upstream_message_type, newpred_segment_type
    vol->reducedResolutionVopEnable = bits.Get(1);
  }
  bits.Get(1);  // scalability
}

uint8_t ReadVisualObjectVerid(HeaderBits& bits, uint8_t current) {
  if (!bits.Get(1)) return current;  // is_visual_object_identifier
  const uint8_t verid = static_cast<uint8_t>(bits.Get(4));
  bits.Get(3);  // priority
  return verid;
}

}  // namespace codec::video
