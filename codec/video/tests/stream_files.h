#pragma once
// Test streams from codec/video/tests/data, split into units as a camera sends them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/m4vdec/unit_splitter.h"

namespace codec::video::testing {

struct TestStream {
  std::vector<uint8_t> bytes;
  std::vector<StreamUnit> units;
  bool shortHeader = false;

  std::vector<uint8_t> Unit(size_t i) const {
    const StreamUnit& u = units[i];
    return std::vector<uint8_t>(bytes.begin() + u.offset, bytes.begin() + u.offset + u.length);
  }
};

inline std::string DataPath(const char* name) {
  const char* root = std::getenv("HALYARD_SOURCE_DIR");
  return std::string(root ? root : ".") + "/codec/video/tests/data/" + name;
}

inline bool LoadStream(const char* name, TestStream* s) {
  FILE* f = std::fopen(DataPath(name).c_str(), "rb");
  if (!f) return false;
  uint8_t buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) s->bytes.insert(s->bytes.end(), buf, buf + n);
  std::fclose(f);
  s->units = SplitUnits(s->bytes.data(), s->bytes.size(), &s->shortHeader);
  return !s->units.empty();
}

}  // namespace codec::video::testing
