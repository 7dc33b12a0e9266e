#include "tools/m4vdec/unit_splitter.h"

#include <cstring>

namespace {

bool IsShortStart(const uint8_t* p, size_t left) {
  return left >= 3 && p[0] == 0 && p[1] == 0 && (p[2] & 0xFC) == 0x80;
}

}  // namespace

std::vector<StreamUnit> SplitUnits(const uint8_t* data, size_t length, bool* shortHeader) {
  std::vector<StreamUnit> units;
  size_t first = 0;
  while (first + 3 <= length && !(data[first] == 0 && data[first + 1] == 0 &&
                                  (data[first + 2] == 1 || (data[first + 2] & 0xFC) == 0x80)))
    ++first;
  *shortHeader = IsShortStart(data + first, length - first);
  std::vector<size_t> cuts;
  if (*shortHeader) {
    for (size_t i = first; i + 3 <= length; ++i)
      if (IsShortStart(data + i, length - i)) cuts.push_back(i);
  } else {
    // A new unit begins at the first start code after a unit that holds a VOP.
    bool hasVop = false;
    size_t unitStart = first;
    // Start codes are found by their 0x01 byte, which memchr finds fast.
    for (size_t one = first + 2; one + 2 <= length; ++one) {
      const void* hit = std::memchr(data + one, 1, length - 1 - one);
      if (!hit) break;
      one = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
      const size_t i = one - 2;
      if (data[i] || data[i + 1]) continue;
      if (hasVop) {
        cuts.push_back(unitStart);
        unitStart = i;
        hasVop = false;
      }
      if (data[i + 3] == 0xB6) hasVop = true;
      one += 2;  // the next start code begins after this one
    }
    cuts.push_back(unitStart);
  }
  for (size_t k = 0; k < cuts.size(); ++k) {
    size_t end = k + 1 < cuts.size() ? cuts[k + 1] : length;
    if (!*shortHeader && k + 1 == cuts.size()) end = length;
    units.push_back({cuts[k], end - cuts[k], false});
  }
  // Ordinary streams: split the headers off the first picture unit.
  if (!*shortHeader && !units.empty()) {
    StreamUnit& u = units.front();
    for (size_t i = u.offset; i + 4 <= u.offset + u.length; ++i) {
      if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && (data[i + 3] == 0xB6 || data[i + 3] == 0xB3)) {
        if (i > u.offset) {
          StreamUnit config{u.offset, i - u.offset, true};
          u.length -= i - u.offset;
          u.offset = i;
          units.insert(units.begin(), config);
        }
        break;
      }
    }
  }
  return units;
}

bool ShortHeaderSize(const uint8_t* data, size_t length, int* width, int* height) {
  for (size_t i = 0; i + 5 <= length; ++i) {
    if (!IsShortStart(data + i, length - i)) continue;
    // 22-bit start code, 8-bit temporal reference, then PTYPE: 1, 0, split,
    // document, freeze, 3-bit source format.
    uint32_t bits = uint32_t(data[i + 2]) << 16 | uint32_t(data[i + 3]) << 8 | data[i + 4];
    int format = (bits >> 2) & 7;  // bits 8..10 after the first 14 of these 24
    static const int kSizes[6][2] = {{0, 0}, {128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
    if (format < 1 || format > 5) return false;
    *width = kSizes[format][0];
    *height = kSizes[format][1];
    return true;
  }
  return false;
}
