// What the recorder needs from an MPEG-4 visual elementary stream: the
// configuration unit's profile, time base and picture size, the coding type of
// a picture, and where the pictures of a whole stream begin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace record {

struct M4vConfig {
  bool hasVos = false;
  int profileAndLevel = 3;            // visual profile for the iods
  bool hasVol = false;
  uint32_t timeIncrementResolution = 0;
  int timeIncrementBits = 15;
  bool hasSize = false;
  int width = 320;
  int height = 240;
};

// True when `data` can be a configuration unit: it begins with a start code
// prefix and is not a picture. Fields of headers that are absent or cut short
// keep their defaults.
bool ParseM4vConfig(const uint8_t* data, size_t length, M4vConfig* config);

// vop_coding_type (0 = I, 1 = P, 2 = B, 3 = S) of a unit that begins with a
// picture start code 00 00 01 B6; -1 for anything else.
int VopCodingType(const uint8_t* data, size_t length);

struct M4vSpan {
  size_t offset;
  size_t length;
};

// Splits an elementary stream at its picture start codes: `header` gets
// everything before the first picture (empty when the stream starts with
// one); each picture runs to the next picture start code or the end.
void SplitM4vStream(const uint8_t* data, size_t length, M4vSpan* header, std::vector<M4vSpan>* pictures);

}  // namespace record
