// Reads back what the recorder wrote: a box walker over bytes in memory, and
// the tables of a track as plain vectors.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace record::testing {

struct Box {
  std::string type;
  size_t start = 0;  // offset of the size field
  size_t size = 0;
  bool found = false;
  size_t Body() const { return start + 8; }
};

inline uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b.at(at)) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

inline std::vector<Box> Children(const std::vector<uint8_t>& b, size_t from, size_t to) {
  std::vector<Box> out;
  while (from + 8 <= to) {
    Box box;
    box.size = Be32(b, from);
    box.type.assign(reinterpret_cast<const char*>(&b[from + 4]), 4);
    box.start = from;
    box.found = true;
    if (box.size < 8 || from + box.size > to) break;
    out.push_back(box);
    from += box.size;
  }
  return out;
}

// Path like "moov/trak#1/mdia/minf/stbl/stts" (#n picks the n-th of a type).
inline Box Find(const std::vector<uint8_t>& b, const std::string& path) {
  size_t from = 0, to = b.size();
  Box box;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(pos, slash - pos);
    int nth = 0;
    if (size_t hash = part.find('#'); hash != std::string::npos) {
      nth = std::stoi(part.substr(hash + 1));
      part = part.substr(0, hash);
    }
    box = Box();
    for (const Box& c : Children(b, from, to))
      if (c.type == part && nth-- == 0) {
        box = c;
        break;
      }
    if (!box.found) return box;
    from = box.Body();
    to = box.start + box.size;
    pos = slash + 1;
  }
  return box;
}

// (count, value) pairs of stts or ctts under `stbl`.
inline std::vector<std::pair<uint32_t, uint32_t>> Runs(const std::vector<uint8_t>& b, const std::string& atom) {
  std::vector<std::pair<uint32_t, uint32_t>> runs;
  const Box box = Find(b, atom);
  if (!box.found) return runs;
  const uint32_t n = Be32(b, box.Body() + 4);
  for (uint32_t i = 0; i < n; ++i) runs.emplace_back(Be32(b, box.Body() + 8 + 8 * i), Be32(b, box.Body() + 12 + 8 * i));
  return runs;
}

// The u32 list of stsz (after sample_size and count), stco or stss.
inline std::vector<uint32_t> List(const std::vector<uint8_t>& b, const std::string& atom) {
  std::vector<uint32_t> out;
  const Box box = Find(b, atom);
  if (!box.found) return out;
  if (box.type == "mpod" || box.type == "sync") {  // plain lists of track IDs
    for (size_t at = box.Body(); at + 4 <= box.start + box.size; at += 4) out.push_back(Be32(b, at));
    return out;
  }
  const bool stsz = box.type == "stsz";
  const size_t first = box.Body() + (stsz ? 8 : 4);
  const uint32_t n = Be32(b, first);
  for (uint32_t i = 0; i < n; ++i) out.push_back(Be32(b, first + 4 + 4 * i));
  return out;
}

inline std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

}  // namespace record::testing
