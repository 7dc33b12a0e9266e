#include "node/media/tests/test_support.h"

#include <algorithm>
#include <cstdio>

#include "os/file.h"
#include "record/m4v_headers.h"

namespace node::testing {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return bytes;
}

SplitStream LoadStream(const char* name) {
  return LoadStreamFile(std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media/" + name);
}

SplitStream LoadStreamFile(const std::string& path) {
  SplitStream out;
  const std::vector<uint8_t> all = ReadFile(path);
  if (all.empty()) return out;
  record::M4vSpan header{0, 0};
  std::vector<record::M4vSpan> pictures;
  record::SplitM4vStream(all.data(), all.size(), &header, &pictures);
  out.configuration.assign(all.begin() + static_cast<long>(header.offset),
                           all.begin() + static_cast<long>(header.offset + header.length));
  for (const record::M4vSpan& span : pictures)
    out.pictures.emplace_back(all.begin() + static_cast<long>(span.offset),
                              all.begin() + static_cast<long>(span.offset + span.length));
  return out;
}

net::MediaData Media(uint32_t kind, const std::vector<uint8_t>& payload, uint64_t timestamp) {
  net::MediaData media;
  media.channel_id = 1;
  media.kind = kind;
  media.timestamp_ms = timestamp;
  media.payload = payload.empty() ? nullptr : payload.data();
  media.payload_length = static_cast<uint32_t>(payload.size());
  return media;
}

std::vector<uint8_t> Vop(int coding_type, size_t size, uint8_t fill) {
  std::vector<uint8_t> unit(size, fill);
  const uint8_t head[] = {0x00, 0x00, 0x01, 0xB6, uint8_t(coding_type << 6)};
  std::copy(head, head + sizeof head, unit.begin());
  return unit;
}

bool IndexOf(const std::vector<uint8_t>& bytes, record::Mp4Index* index) {
  record::Mp4MemoryOutput file{std::vector<uint8_t>(bytes)};
  std::string error;
  return record::ReadMp4Index(file, index, &error);
}

record::Mp4Index IndexOfFile(const std::string& path) {
  record::Mp4Index index;
  IndexOf(ReadFile(path), &index);
  return index;
}

const record::Mp4ReadTrack* TrackOf(const record::Mp4Index& index, const char* handler) {
  for (const auto& track : index.tracks)
    if (track.handler == handler) return &track;
  return nullptr;
}

std::string TempPath(const std::string& name) {
  std::string dir = os::TempDirectory();
  if (dir.empty()) dir = "./";
  return dir + name;
}

}  // namespace node::testing
