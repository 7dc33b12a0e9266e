#include "record/m4v_headers.h"

#include "codec/video/headers/vol_header.h"

namespace record {
namespace {

// Offset of the next 00 00 01 prefix at or after `from`, or `length`.
size_t NextStartCode(const uint8_t* data, size_t length, size_t from) {
  for (size_t i = from; i + 3 <= length; ++i)
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i;
  return length;
}

// Offset of the next picture start code 00 00 01 B6 at or after `from`, or `length`.
size_t NextPicture(const uint8_t* data, size_t length, size_t from) {
  for (size_t i = from; i + 4 <= length; ++i)
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == 0xB6) return i;
  return length;
}

// The fields after the size: those past the header's end read as 0, and
// hasCodingTools says whether all of them lay within it. Sprite layers are
// not a camera's stream: their coding tools keep the defaults.
void TakeCodingTools(const codec::video::VolHeader& vol, M4vConfig* config) {
  config->interlaced = vol.interlaced;
  config->obmcDisable = vol.obmcDisable;
  config->spriteEnable = vol.spriteEnable;
  if (vol.spriteEnable != 0) return;
  config->quantPrecision = vol.quantPrecision;
  config->bitsPerPixel = vol.bitsPerPixel;
  config->quantType = vol.quantType;
  config->intraMatrix = vol.intraMatrix;
  config->nonIntraMatrix = vol.nonIntraMatrix;
  config->quarterSample = vol.quarterSample;
  config->complexityEstimationDisable = vol.complexityEstimationDisable;
  config->estimationMethod = vol.estimationMethod;
  config->estimationFlags = vol.estimationBits;
  config->resyncMarkerDisable = vol.resyncMarkerDisable;
  config->dataPartitioned = vol.dataPartitioned;
  config->reversibleVlc = vol.reversibleVlc;
  config->hasCodingTools = vol.codingToolsRead;
}

// The layer header held to its own bytes (`body` up to the next start code):
// the decoder's reader feeds start-code padding past the end, where a field
// must read as absent instead. Parts cut short keep their defaults.
void ParseVol(const uint8_t* body, size_t length, uint8_t object_verid, M4vConfig* config) {
  codec::video::BitReader reader;
  reader.Bind(body, length, false);
  codec::video::HeaderBits bits(reader, uint64_t{length} * 8);
  codec::video::VolHeader vol;
  codec::video::ReadVolHeader(bits, object_verid, 0, &vol);
  if (!vol.timeBaseRead) return;
  config->hasVol = true;
  config->shape = vol.shape;
  config->timeIncrementResolution = vol.timeIncrementResolution;
  config->timeIncrementBits = vol.timeIncrementBits;
  config->fixedVopRate = vol.fixedVopRate;
  config->fixedVopTimeIncrement = vol.fixedVopTimeIncrement;
  if (vol.shape != 0 || !vol.sizeRead) return;  // only a rectangular layer states its size
  config->hasSize = true;
  config->width = vol.width;
  config->height = vol.height;
  TakeCodingTools(vol, config);
}

// The visual object's version, from its header's bytes.
uint8_t VisualObjectVerid(const uint8_t* body, size_t length, uint8_t current) {
  codec::video::BitReader reader;
  reader.Bind(body, length, false);
  codec::video::HeaderBits bits(reader, uint64_t{length} * 8);
  return codec::video::ReadVisualObjectVerid(bits, current);
}

}  // namespace

bool ParseM4vConfig(const uint8_t* data, size_t length, M4vConfig* config) {
  *config = M4vConfig();
  if (length < 4 || data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] == 0xB6) return false;
  size_t at = 0;
  uint8_t objectVerid = 1;
  while (at + 4 <= length) {
    const uint8_t code = data[at + 3];
    const size_t body = at + 4;
    const size_t next = NextStartCode(data, length, body);
    if (code == 0xB0 && body < length) {
      config->hasVos = true;
      config->profileAndLevel = data[body];
    } else if (code == 0xB5) {
      objectVerid = VisualObjectVerid(data + body, length - body, objectVerid);
    } else if (code >= 0x20 && code <= 0x2F && !config->hasVol) {
      ParseVol(data + body, next - body, objectVerid, config);
    }
    at = next;
  }
  return true;
}

bool SameDecoding(const M4vConfig& a, const M4vConfig& b, std::string* difference) {
  const struct {
    const char* name;
    bool same;
  } fields[] = {
      {"layer header", a.hasVol == b.hasVol},
      {"shape", a.shape == b.shape},
      {"picture size", a.hasSize == b.hasSize && a.width == b.width && a.height == b.height},
      {"time-increment resolution", a.timeIncrementResolution == b.timeIncrementResolution},
      {"fixed picture rate", a.fixedVopRate == b.fixedVopRate && a.fixedVopTimeIncrement == b.fixedVopTimeIncrement},
      {"coding tools", a.hasCodingTools == b.hasCodingTools},
      {"interlacing", a.interlaced == b.interlaced},
      {"overlapped motion compensation", a.obmcDisable == b.obmcDisable},
      {"sprites", a.spriteEnable == b.spriteEnable},
      {"sample precision", a.quantPrecision == b.quantPrecision && a.bitsPerPixel == b.bitsPerPixel},
      {"quantisation", a.quantType == b.quantType && a.intraMatrix == b.intraMatrix &&
                           a.nonIntraMatrix == b.nonIntraMatrix},
      {"quarter-sample motion", a.quarterSample == b.quarterSample},
      {"complexity estimation", a.complexityEstimationDisable == b.complexityEstimationDisable &&
                                    a.estimationMethod == b.estimationMethod &&
                                    a.estimationFlags == b.estimationFlags},
      {"resync markers", a.resyncMarkerDisable == b.resyncMarkerDisable},
      {"data partitioning", a.dataPartitioned == b.dataPartitioned},
      {"reversible VLC", a.reversibleVlc == b.reversibleVlc},
  };
  for (const auto& field : fields) {
    if (field.same) continue;
    if (difference) *difference = field.name;
    return false;
  }
  return true;
}

int VopCodingType(const uint8_t* data, size_t length) {
  if (length < 5 || data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] != 0xB6) return -1;
  return data[4] >> 6;
}

void SplitM4vStream(const uint8_t* data, size_t length, M4vSpan* header, std::vector<M4vSpan>* pictures) {
  pictures->clear();
  size_t at = NextPicture(data, length, 0);
  *header = {0, at};
  while (at < length) {
    const size_t next = NextPicture(data, length, at + 4);
    pictures->push_back({at, next - at});
    at = next;
  }
}

}  // namespace record
