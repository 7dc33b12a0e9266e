#include "node/media/tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "node/media/node_media.h"

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

Recorded ReadRecording(const std::string& path) {
  Recorded r;
  for (const auto& track : IndexOfFile(path).tracks) {
    if (track.handler == "vide") {
      for (const auto& sample : track.samples) r.sync.push_back(sample.sync);
      r.configuration = track.decoderInfo;
    }
    if (track.samples.size() < 2) continue;
    const auto at = [](const record::Mp4ReadSample& s) { return s.decodeTime + s.compositionOffset; };
    (track.handler == "vide" ? r.video_ms : r.audio_ms) = at(track.samples.back()) - at(track.samples.front());
  }
  return r;
}

std::vector<std::string> FilesUnder(const std::string& dir) {
  std::vector<std::string> names;
  if (!std::filesystem::exists(dir)) return names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.is_regular_file()) names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

void PlayInBursts(NodeMedia& media, const std::vector<std::vector<uint8_t>>& pictures, uint64_t first_ms) {
  for (size_t i = 0; i < pictures.size(); ++i) {
    media.DeliverMedia(Media(net::kMediaVideoFrame, pictures[i], first_ms + 40 * i));
    if (i % 16 == 15 || i + 1 == pictures.size()) {
      EXPECT_TRUE(WaitFor([&] { return media.path().LiveRing().Count() == 0; })) << "the worker took no pictures";
    }
  }
}

std::string TempPath(const std::string& name) {
  std::string dir = os::TempDirectory();
  if (dir.empty()) dir = "./";
  return dir + name;
}

}  // namespace node::testing
