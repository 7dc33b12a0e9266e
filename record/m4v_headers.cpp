#include "record/m4v_headers.h"

#include "codec/video/bitstream/bit_reader.h"

namespace record {
namespace {

// The decoder's bit reader, held to the header's own bytes: the decoder's
// feeds start-code padding past the end, where a header field must read as
// absent instead. A read that would pass the end sets `overrun` and yields
// zeros, as do all reads after it; any width, read 32 bits at a time.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t length) : m_bits(uint64_t{length} * 8) { m_reader.Bind(data, length, false); }
  uint32_t Get(int bits) {
    if (overrun || m_reader.Position() + static_cast<uint64_t>(bits) > m_bits) {
      overrun = true;
      return 0;
    }
    uint32_t v = 0;  // of a field wider than 32 bits, its last 32
    while (bits > 0) {
      const int n = bits > 32 ? 32 : bits;
      const uint32_t part = m_reader.Get(n);
      v = n == 32 ? part : (v << n) | part;
      bits -= n;
    }
    return v;
  }
  bool overrun = false;

 private:
  video::BitReader m_reader;
  uint64_t m_bits;
};

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

// load_*_quant_mat: up to 64 values, a 0 ends the list early and the last
// value repeats (kept as read; equal headers give equal arrays).
void ParseQuantMatrix(BitReader& br, std::array<uint8_t, 64>* matrix) {
  if (!br.Get(1)) return;
  for (size_t i = 0; i < matrix->size(); ++i) {
    const uint32_t value = br.Get(8);
    if (value == 0 || br.overrun) return;
    (*matrix)[i] = static_cast<uint8_t>(value);
  }
}

void ParseComplexityEstimation(BitReader& br, M4vConfig* config) {
  config->estimationMethod = static_cast<int>(br.Get(2));
  if (config->estimationMethod > 1) return;
  uint32_t flags = 0;
  auto group = [&](int bits) {
    const uint32_t disabled = br.Get(1);
    flags = flags << 1 | disabled;
    if (!disabled) flags = flags << bits | br.Get(bits);
  };
  group(6);   // shape
  group(4);   // texture set 1
  br.Get(1);  // marker
  group(4);   // texture set 2
  group(6);   // motion compensation
  br.Get(1);  // marker
  if (config->estimationMethod == 1) group(2);  // version 2
  config->estimationFlags = flags;
}

// From interlaced to reversible_vlc, for a rectangular layer after its size.
void ParseCodingTools(BitReader& br, int verid, M4vConfig* config) {
  br.Get(1);
  config->interlaced = br.Get(1);
  config->obmcDisable = br.Get(1);
  config->spriteEnable = static_cast<int>(br.Get(verid == 1 ? 1 : 2));
  if (config->spriteEnable != 0) return;  // sprite layers: not a camera's stream
  if (br.Get(1)) {                        // not_8_bit
    config->quantPrecision = static_cast<int>(br.Get(4));
    config->bitsPerPixel = static_cast<int>(br.Get(4));
  }
  config->quantType = br.Get(1);
  if (config->quantType) {
    ParseQuantMatrix(br, &config->intraMatrix);
    ParseQuantMatrix(br, &config->nonIntraMatrix);
  }
  if (verid != 1) config->quarterSample = br.Get(1);
  config->complexityEstimationDisable = br.Get(1);
  if (!config->complexityEstimationDisable) ParseComplexityEstimation(br, config);
  config->resyncMarkerDisable = br.Get(1);
  config->dataPartitioned = br.Get(1);
  if (config->dataPartitioned) config->reversibleVlc = br.Get(1);
  config->hasCodingTools = !br.overrun;
}

// A layer that states no version has its visual object's (objectVerid).
void ParseVol(const uint8_t* body, size_t length, int objectVerid, M4vConfig* config) {
  BitReader br(body, length);
  br.Get(1);  // random_accessible_vol
  br.Get(8);  // video_object_type_indication
  int verid = objectVerid;
  if (br.Get(1)) {  // is_object_layer_identifier
    verid = static_cast<int>(br.Get(4));
    br.Get(3);
  }
  if (br.Get(4) == 15) br.Get(16);  // extended PAR
  if (br.Get(1)) {                  // vol_control_parameters
    br.Get(3);                      // chroma_format, low_delay
    if (br.Get(1)) br.Get(79);      // vbv_parameters
  }
  const uint32_t shape = br.Get(2);
  if (shape == 3 && verid != 1) br.Get(4);
  br.Get(1);
  const uint32_t resolution = br.Get(16);
  br.Get(1);
  if (br.overrun) return;
  config->hasVol = true;
  config->shape = static_cast<int>(shape);
  config->timeIncrementResolution = resolution;
  int bits = 1;  // enough for increments 0 .. resolution - 1
  while (bits < 16 && (1u << bits) < resolution) ++bits;
  config->timeIncrementBits = bits;
  config->fixedVopRate = br.Get(1);
  if (config->fixedVopRate) config->fixedVopTimeIncrement = br.Get(bits);
  if (shape != 0) return;  // only a rectangular layer states its size
  br.Get(1);
  const int width = static_cast<int>(br.Get(13));
  br.Get(1);
  const int height = static_cast<int>(br.Get(13));
  if (br.overrun) return;
  config->hasSize = true;
  config->width = width;
  config->height = height;
  ParseCodingTools(br, verid, config);
}

}  // namespace

bool ParseM4vConfig(const uint8_t* data, size_t length, M4vConfig* config) {
  *config = M4vConfig();
  if (length < 4 || data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] == 0xB6) return false;
  size_t at = 0;
  int objectVerid = 1;
  while (at + 4 <= length) {
    const uint8_t code = data[at + 3];
    const size_t body = at + 4;
    const size_t next = NextStartCode(data, length, body);
    if (code == 0xB0 && body < length) {
      config->hasVos = true;
      config->profileAndLevel = data[body];
    } else if (code == 0xB5 && body < length && (data[body] & 0x80)) {
      objectVerid = (data[body] >> 3) & 15;  // is_visual_object_identifier, then verid
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
