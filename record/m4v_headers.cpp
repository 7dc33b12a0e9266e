#include "record/m4v_headers.h"

namespace record {
namespace {

// Reads bits most significant first and never past `length`; a read past the
// end sets `overrun` and yields zeros.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t length) : m_data(data), m_length(length) {}
  uint32_t Get(int bits) {
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i) {
      if (m_pos >= m_length * 8) {
        overrun = true;
        return 0;
      }
      v = (v << 1) | ((m_data[m_pos >> 3] >> (7 - (m_pos & 7))) & 1);
      ++m_pos;
    }
    return v;
  }
  bool overrun = false;

 private:
  const uint8_t* m_data;
  size_t m_length;
  size_t m_pos = 0;
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

void ParseVol(const uint8_t* body, size_t length, M4vConfig* config) {
  BitReader br(body, length);
  br.Get(1);  // random_accessible_vol
  br.Get(8);  // video_object_type_indication
  int verid = 1;
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
  config->timeIncrementResolution = resolution;
  int bits = 1;  // enough for increments 0 .. resolution - 1
  while (bits < 16 && (1u << bits) < resolution) ++bits;
  config->timeIncrementBits = bits;
  if (br.Get(1)) br.Get(bits);  // fixed_vop_rate, fixed_vop_time_increment
  if (shape != 0) return;       // only a rectangular layer states its size
  br.Get(1);
  const int width = static_cast<int>(br.Get(13));
  br.Get(1);
  const int height = static_cast<int>(br.Get(13));
  if (br.overrun) return;
  config->hasSize = true;
  config->width = width;
  config->height = height;
}

}  // namespace

bool ParseM4vConfig(const uint8_t* data, size_t length, M4vConfig* config) {
  *config = M4vConfig();
  if (length < 4 || data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] == 0xB6) return false;
  size_t at = 0;
  while (at + 4 <= length) {
    const uint8_t code = data[at + 3];
    const size_t body = at + 4;
    const size_t next = NextStartCode(data, length, body);
    if (code == 0xB0 && body < length) {
      config->hasVos = true;
      config->profileAndLevel = data[body];
    } else if (code >= 0x20 && code <= 0x2F && !config->hasVol) {
      ParseVol(data + body, next - body, config);
    }
    at = next;
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
