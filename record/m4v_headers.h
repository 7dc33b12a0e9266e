// What the recorder needs from an MPEG-4 visual elementary stream: the
// configuration unit's profile, time base and picture size, the coding type of
// a picture, and where the pictures of a whole stream begin.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
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

  // The rest of the layer header: what a decoder reads to parse the pictures.
  int shape = 0;                    // 0 rectangular
  bool fixedVopRate = false;
  uint32_t fixedVopTimeIncrement = 0;
  bool hasCodingTools = false;      // the fields below were all read
  bool interlaced = false;
  bool obmcDisable = true;
  int spriteEnable = 0;
  int quantPrecision = 5;           // not_8_bit
  int bitsPerPixel = 8;
  bool quantType = false;           // MPEG quantisation, with these matrices
  std::array<uint8_t, 64> intraMatrix{};
  std::array<uint8_t, 64> nonIntraMatrix{};
  bool quarterSample = false;
  bool complexityEstimationDisable = true;
  int estimationMethod = 0;
  uint32_t estimationFlags = 0;     // the estimation header's flags, in order
  bool resyncMarkerDisable = true;
  bool dataPartitioned = false;
  bool reversibleVlc = false;
};

// True when `data` can be a configuration unit: it begins with a start code
// prefix and is not a picture. Fields of headers that are absent or cut short
// keep their defaults.
bool ParseM4vConfig(const uint8_t* data, size_t length, M4vConfig* config);

// Whether pictures coded for `a` decode with `b` as their configuration:
// every parsed value a decoder depends on is equal (the bytes may differ,
// in user data or the profile). Otherwise false with the first field that
// differs, for the log.
bool SameDecoding(const M4vConfig& a, const M4vConfig& b, std::string* difference = nullptr);

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
