// Reads back what the recorder wrote: a box walker over bytes in memory, and
// the tables of a track as plain vectors.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "record/mp4_file.h"

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

// Stream headers of a 640x480 ffmpeg stream: VOS (profile 1), visual object,
// video object, VOL, the encoder's user data and a GOV header.
inline const std::vector<uint8_t> kStreamHeaders = FromHex(
    "000001b001000001b58913000001000000012000c48d8800f514043c1443"
    "000001b24c61766335392e33372e313030000001b3001007");

// A picture unit of `length` bytes: intra (coding type 0) or predicted (1).
inline std::vector<uint8_t> Vop(int coding_type, size_t length = 50, uint8_t fill = 0x5A) {
  std::vector<uint8_t> p(length, fill);
  p[0] = 0, p[1] = 0, p[2] = 1, p[3] = 0xB6, p[4] = uint8_t(coding_type << 6 | 0x10);
  return p;
}

// Small stream headers, then `pictures` pictures of `size` bytes 40 ms apart
// from 40 ms, an intra one every ten; with `sound`, a sound frame beside each.
inline void WritePictures(Mp4File& mp4, uint32_t pictures, size_t size = 500, bool sound = false) {
  const uint8_t headers[] = {0, 0, 1, 0xB0, 1, 0, 0, 1, 0xB5, 0x89, 0x13, 0, 0, 1, 0, 0, 0, 1, 0x20, 0};
  ASSERT_TRUE(mp4.WriteVideo(headers, sizeof headers, 0, 0));
  for (uint32_t i = 1; i <= pictures; ++i) {
    const std::vector<uint8_t> picture = Vop(i % 10 == 1 ? 0 : 1, size, static_cast<uint8_t>(i));
    ASSERT_TRUE(mp4.WriteVideo(picture.data(), static_cast<uint32_t>(picture.size()), i, 40 * i));
    if (sound) {
      const std::vector<uint8_t> frame(96, static_cast<uint8_t>(0x11 * i));
      ASSERT_TRUE(mp4.WriteAudio(frame.data(), static_cast<uint32_t>(frame.size()), i - 1, 40 * i));
    }
  }
}

inline std::string Utf8(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

inline std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline std::vector<uint8_t> ReadAll(const std::string& utf8) { return ReadAll(std::filesystem::u8path(utf8)); }

inline void WriteAll(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
inline void WriteAll(const std::string& utf8, const std::vector<uint8_t>& bytes) {
  WriteAll(std::filesystem::u8path(utf8), bytes);
}

// A scratch folder of its own per test, removed after it.
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("halyard_" + std::string(test->test_suite_name()) + "_" + test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

#ifndef _WIN32
// What `command` prints on stdout and stderr; its exit status in `status`.
inline std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) out += line;
  const int s = pclose(pipe);
  if (status) *status = s;
  return out;
}
#endif

}  // namespace record::testing
