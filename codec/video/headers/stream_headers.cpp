// Stream headers: visual object sequence, visual object, video object and
// video object layer, and the detection of the short video header.
#include "codec/video/decoder_context.h"

namespace video {
namespace {

constexpr uint32_t kUserDataCode = 0x1B2;
constexpr uint32_t kVosCode = 0x1B0;
constexpr uint32_t kVisualObjectCode = 0x1B5;
constexpr uint32_t kVopCode = 0x1B6;

void GobLayout(HeaderContext& c) {
  int w = c.configuredWidth, h = c.configuredHeight;
  HeaderState& s = c.h;
  if (w == 128 && h == 96) {
    s.numMbInGob = 8, s.numGobsInVop = 6;
  } else if (w == 176 && h == 144) {
    s.numMbInGob = 11, s.numGobsInVop = 9;
  } else if (w == 704 && h == 576) {
    s.numMbInGob = 88, s.numGobsInVop = 18;
  } else if (w == 1408 && h == 1152) {
    s.numMbInGob = 352, s.numGobsInVop = 18;
  } else {
    s.numMbInGob = 22, s.numGobsInVop = 18;
  }
}

void ParseVisualObject(HeaderContext& c) {
  BitReader& br = c.br;
  br.Skip(32);
  if (br.Get1()) {                // verid, priority
    c.h.objectVerid = static_cast<uint8_t>(br.Get(4));
    br.Skip(3);
  }
  uint32_t type = br.Get(4);
  if (type == 1 && br.Get1()) {   // video_signal_type
    br.Skip(3 + 1);               // video_format, video_range
    if (br.Get1()) br.Skip(24);   // colour description
  }
  if (c.CheckEnd() || c.Stopped()) return;
  br.AlignStuffing();
  SkipUserData(c);
}

void ParseComplexityEstimation(BitReader& br, HeaderState& h) {
  h.estimationMethod = static_cast<uint8_t>(br.Get(2));
  uint8_t* f = h.estimationFlags;
  auto flags = [&](int first, int n) {
    if (!br.Get1()) {
      for (int i = 0; i < n; ++i) f[first + i] = static_cast<uint8_t>(br.Get1());
    } else {
      for (int i = 0; i < n; ++i) f[first + i] = 0;
    }
  };
  if (h.estimationMethod <= 1) {
    flags(0, 6);    // shape: opaque, transparent, intra_cae, inter_cae, no_update, upsampling
    flags(6, 4);    // texture set 1: intra, inter, inter4v, not_coded blocks
    br.Skip(1);
    flags(10, 4);   // texture set 2: dct_coefs, dct_lines, vlc_symbols, vlc_bits
    flags(14, 6);   // motion: apm, npm, interpolate_mc_q, forw_back_mc_q, halfpel2, halfpel4
    br.Skip(1);
    if (h.estimationMethod == 1) flags(20, 2);  // sadct, quarterpel
  }
}

// load_*_quant_mat: up to 64 8-bit values, a 0 ending the list early.
// The matrices are not used: the MPEG quantisation method is not decoded.
void SkipQuantMatrix(HeaderContext& c) {
  BitReader& br = c.br;
  if (!br.Get1()) return;
  for (int i = 0; i < 64 && !c.Stopped(); ++i) {
    if (br.Get(8) == 0) return;
    c.CheckEnd();
  }
}

// sprite_enable 1 (static) or 2 (GMC): the sprite fields that follow it.
void SkipSpriteFields(BitReader& br, uint8_t spriteEnable) {
  if (spriteEnable != 1 && spriteEnable != 2) return;
  if (spriteEnable != 2) br.Skip(4 * (13 + 1));  // sprite size and position, markers
  br.Skip(6 + 2 + 1);  // warping points, warping accuracy, brightness change
  if (spriteEnable != 2) br.Skip(1);  // low_latency_sprite_enable
}

// From interlaced to quant_type's matrices, after the layer's size.
void ParseCodingTools(HeaderContext& c) {
  BitReader& br = c.br;
  HeaderState& h = c.h;
  br.Skip(2);  // interlaced, obmc_disable
  h.spriteEnable = static_cast<uint8_t>(br.Get(h.layerVerid == 1 ? 1 : 2));
  SkipSpriteFields(br, h.spriteEnable);
  if (br.Get1()) br.Skip(4 + 4);  // not_8_bit: quant_precision, bits_per_pixel
  if (br.Get1()) {                // quant_type
    SkipQuantMatrix(c);
    SkipQuantMatrix(c);
  }
  if (h.layerVerid != 1) h.quarterSample = br.Get1();
}

void ParseVol(HeaderContext& c) {
  BitReader& br = c.br;
  HeaderState& h = c.h;
  h.shortVideoHeader = false;
  br.Skip(32);
  br.Skip(1 + 8);                   // random_accessible_vol, type indication
  h.layerVerid = h.objectVerid;     // a layer that states no version has its object's
  if (br.Get1()) {                  // layer verid, priority
    h.layerVerid = static_cast<uint8_t>(br.Get(4));
    br.Skip(3);
  }
  uint32_t aspect = br.Get(4);
  static const uint8_t kPar[6][2] = {{1, 1}, {1, 1}, {12, 11}, {10, 11}, {16, 11}, {40, 33}};
  if (aspect == 15) {
    h.parWidth = br.Get(8);
    h.parHeight = br.Get(8);
  } else {
    int i = aspect <= 5 ? static_cast<int>(aspect) : 1;
    h.parWidth = kPar[i][0];
    h.parHeight = kPar[i][1];
  }
  if (br.Get1()) {                  // vol_control_parameters
    br.Skip(2 + 1);                 // chroma_format, low_delay
    if (br.Get1()) {                // vbv parameters
      br.Skip(15 + 1 + 15 + 1);
      br.Skip(15 + 1 + 3 + 11 + 1);
      br.Skip(15 + 1);
    }
  }
  const uint32_t shape = br.Get(2);  // only rectangular is decoded
  if (shape == 3 && h.layerVerid != 1) br.Skip(4);  // video_object_layer_shape_extension
  br.Skip(1);
  uint32_t res = br.Get(16);
  if (res) h.timeIncrementResolution = res;
  br.Skip(1);
  // Increments run from 0 to resolution - 1: the field is as wide as that
  // value needs (at least 1 bit), so a power of two takes no extra bit.
  int bits = 1;
  while (bits < 16 && (1u << bits) < h.timeIncrementResolution) ++bits;
  h.timeIncrementBits = bits;
  h.fixedVopRate = br.Get1();
  if (h.fixedVopRate) {
    uint32_t inc = br.Get(bits);
    h.fixedVopTimeIncrement = inc ? inc : 1;
  }
  br.Skip(1);
  int w = static_cast<int>(br.Get(13));
  br.Skip(1);
  int ht = static_cast<int>(br.Get(13));
  br.Skip(1);
  h.width = (w == 0 || w % 16) ? 176 : w;
  h.height = (ht == 0 || ht % 16) ? 144 : ht;
  ParseCodingTools(c);
  if (c.Stopped()) return;
  h.complexityEstimationDisable = br.Get1();
  if (!h.complexityEstimationDisable) ParseComplexityEstimation(br, h);
  h.resyncMarkerDisable = br.Get1();
  h.dataPartitioned = br.Get1();
  h.reversibleVlc = h.dataPartitioned ? br.Get1() : false;
  if (h.layerVerid != 1) {
    h.newpredEnable = br.Get1();
    if (h.newpredEnable) br.Skip(2 + 1);  // requested_upstream_message_type, newpred_segment_type
    h.reducedResolutionVopEnable = br.Get1();
  }
  br.Skip(1);  // scalability
  h.sawVol = true;
}

}  // namespace

void LoadHeaderDefaults(HeaderContext& c) {
  HeaderState fresh;
  c.h = fresh;
  c.h.width = c.configuredWidth;
  c.h.height = c.configuredHeight;
  GobLayout(c);
}

void SkipUserData(HeaderContext& c) {
  BitReader& br = c.br;
  while (!c.Stopped()) {
    uint32_t v = br.Show(32);
    if (v == kUserDataCode) {
      br.Skip(24);
    } else if ((v >> 8) == 1) {
      break;
    }
    br.Skip(8);
    c.CheckEnd();
  }
}

void ParseStreamHeaders(HeaderContext& c) {
  BitReader& br = c.br;
  uint32_t v = br.Show(32);
  bool shortStart = (v & 0xFFFFFC00u) == 0x8000u;
  if (!shortStart && ((v >> 8) != 1 || v == kUserDataCode)) {
    c.Fail(DecodeStatus::Fatal);
    return;
  }
  if (br.Show(22) == 0x20) {
    c.h.shortVideoHeader = true;
    return;
  }
  if (br.Show(32) == kVosCode) {
    br.Skip(32);
    br.Skip(8);  // profile_and_level_indication
    SkipUserData(c);
    if (c.Stopped()) return;
  }
  if (br.Show(32) == kVisualObjectCode) {
    ParseVisualObject(c);
    if (c.Stopped()) return;
  }
  if (br.Show(27) == 8) br.Skip(32);  // video object 0x100..0x11F
  if (br.Show(28) == 0x12) {
    ParseVol(c);
    c.CheckEnd();
    return;
  }
  if (br.Show(32) == kVopCode) return;
  c.Fail(DecodeStatus::Fatal);
}

}  // namespace video

int ParseVolInfo(const uint8_t* data, size_t length, VolInfo* out) {
  if (!data || !out) return -1;
  video::HeaderContext c;
  c.configuredWidth = 0;
  c.configuredHeight = 0;
  video::LoadHeaderDefaults(c);
  c.br.Bind(data, length, false);
  video::ParseStreamHeaders(c);
  if (c.Stopped()) return -1;
  const video::HeaderState& h = c.h;
  VolInfo info;
  info.shortVideoHeader = h.shortVideoHeader;
  info.width = h.sawVol ? h.width : 0;
  info.height = h.sawVol ? h.height : 0;
  info.timeIncrementResolution = h.timeIncrementResolution;
  info.timeIncrementBits = h.timeIncrementBits;
  info.fixedVopRate = h.fixedVopRate;
  info.fixedVopTimeIncrement = h.fixedVopTimeIncrement;
  info.resyncMarkerDisable = h.resyncMarkerDisable;
  info.dataPartitioned = h.dataPartitioned;
  info.reversibleVlc = h.reversibleVlc;
  *out = info;
  return (h.sawVol || h.shortVideoHeader) ? 0 : -1;
}

bool ShortHeaderSourceSize(const uint8_t* data, size_t length, int* width, int* height) {
  if (!data || !width || !height || length < 5) return false;
  // 22-bit picture start code, 8-bit temporal reference, then PTYPE: 1, 0,
  // split screen, document camera, freeze release, 3-bit source format.
  uint64_t bits = 0;
  for (size_t i = 0; i < 5; ++i) bits = bits << 8 | data[i];
  if ((bits >> 18) != 0x20) return false;
  if (((bits >> 8) & 3) != 2) return false;  // the PTYPE's leading 1 and 0
  static const int kSizes[6][2] = {{0, 0}, {128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
  const int format = static_cast<int>((bits >> 2) & 7);
  if (format < 1 || format > 5) return false;
  *width = kSizes[format][0];
  *height = kSizes[format][1];
  return true;
}
