// Stream headers: visual object sequence, visual object, video object and
// video object layer, and the detection of the short video header.
#include "codec/video/decoder_context.h"
#include "codec/video/headers/vol_header.h"

namespace codec::video {
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
  HeaderBits bits(br);
  c.h.objectVerid = ReadVisualObjectVerid(bits, c.h.objectVerid);
  uint32_t type = br.Get(4);
  if (type == 1 && br.Get1()) {   // video_signal_type
    br.Skip(3 + 1);               // video_format, video_range
    if (br.Get1()) br.Skip(24);   // colour description
  }
  if (c.CheckEnd() || c.Stopped()) return;
  br.AlignStuffing();
  SkipUserData(c);
}

// The complexity-estimation flags of the methods the header has; the others
// keep the values of the layer header before.
void TakeEstimation(const VolHeader& vol, HeaderState& h) {
  h.estimationMethod = vol.estimationMethod;
  if (vol.estimationMethod > 1) return;
  const size_t count = vol.estimationMethod == 1 ? 22 : 20;
  for (size_t i = 0; i < count; ++i) h.estimationFlags[i] = vol.estimationFlags[i];
}

// Fields after the size. Quarter-sample motion, NEWPRED and reduced
// resolution exist only in version 2: a version-1 layer leaves them as they were.
void TakeCodingTools(const VolHeader& vol, HeaderState& h) {
  h.complexityEstimationDisable = vol.complexityEstimationDisable;
  if (!vol.complexityEstimationDisable) TakeEstimation(vol, h);
  h.resyncMarkerDisable = vol.resyncMarkerDisable;
  h.dataPartitioned = vol.dataPartitioned;
  h.reversibleVlc = vol.reversibleVlc;
  if (vol.verid != 1) {
    h.newpredEnable = vol.newpredEnable;
    h.reducedResolutionVopEnable = vol.reducedResolutionVopEnable;
  }
}

void ParseVol(HeaderContext& c) {
  HeaderState& h = c.h;
  h.shortVideoHeader = false;
  c.br.Skip(32);
  HeaderBits bits(c.br);
  VolHeader vol;
  ReadVolHeader(bits, h.objectVerid, h.timeIncrementResolution, &vol);
  h.layerVerid = vol.verid;
  h.parWidth = vol.parWidth;
  h.parHeight = vol.parHeight;
  if (vol.timeIncrementResolution) h.timeIncrementResolution = vol.timeIncrementResolution;
  h.timeIncrementBits = vol.timeIncrementBits;
  h.fixedVopRate = vol.fixedVopRate;
  if (vol.fixedVopRate) h.fixedVopTimeIncrement = vol.fixedVopTimeIncrement ? vol.fixedVopTimeIncrement : 1;
  // Only rectangular layers of whole macroblocks are decoded: another size
  // falls back to QCIF.
  h.width = (vol.width == 0 || vol.width % 16) ? 176 : vol.width;
  h.height = (vol.height == 0 || vol.height % 16) ? 144 : vol.height;
  h.spriteEnable = vol.spriteEnable;
  if (vol.verid != 1) h.quarterSample = vol.quarterSample;
  if (vol.ranDryInMatrix) {
    c.CheckEnd();
    return;
  }
  TakeCodingTools(vol, h);
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

}  // namespace codec::video

namespace codec {

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

}  // namespace codec
