// Recordings for the tests of the recordings index, playback and export,
// written by the recorder's own writer from the simulator's test streams
// (QCIF, 15 pictures a second, an intra picture each second), named as the
// recorders name them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "os/local_time.h"
#include "record/m4v_headers.h"
#include "record/mp4_file.h"

namespace record::testing {

struct Clip {
  std::vector<uint8_t> config;
  std::vector<std::vector<uint8_t>> pictures;  // a whole number of groups of pictures
};

inline Clip LoadClip(const char* name = "test_176x144.m4v") {
  Clip clip;
  const std::string path = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media/" + name;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return clip;
  std::vector<uint8_t> all;
  uint8_t buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) all.insert(all.end(), buffer, buffer + n);
  std::fclose(file);
  M4vSpan header{0, 0};
  std::vector<M4vSpan> spans;
  SplitM4vStream(all.data(), all.size(), &header, &spans);
  clip.config.assign(all.begin() + static_cast<long>(header.offset),
                     all.begin() + static_cast<long>(header.offset + header.length));
  for (const M4vSpan& s : spans)
    clip.pictures.emplace_back(all.begin() + static_cast<long>(s.offset),
                               all.begin() + static_cast<long>(s.offset + s.length));
  return clip;
}

// "CAMERA_yyyyMMdd_HHmmss" of a wall-clock second, local time.
inline std::string Stem(const std::string& camera, int64_t seconds) {
  return camera + os::FormatLocalTime("_%Y%m%d_%H%M%S", static_cast<std::time_t>(seconds));
}

struct Recording {
  int64_t creation = 0;          // seconds since 1970 of the first picture (0: none written)
  std::vector<uint32_t> times;   // of the pictures, ms from the first
  bool sound = true;             // a 64 ms sound frame every 64 ms beside the pictures
  bool finish = true;            // else left as a crash leaves it, with its journal
  size_t firstPicture = 0;       // which picture of the clip comes first
};

// Pictures every `stepMs` from 0.
inline std::vector<uint32_t> Times(size_t count, uint32_t stepMs, uint32_t from = 0) {
  std::vector<uint32_t> times;
  for (size_t i = 0; i < count; ++i) times.push_back(from + static_cast<uint32_t>(i) * stepMs);
  return times;
}

inline bool Write(const std::string& path, const Clip& clip, const Recording& r) {
  Mp4File mp4;
  if (!mp4.Open(path)) return false;
  if (r.creation) mp4.SetCreationTime(static_cast<uint32_t>(r.creation + 2082844800));
  if (!mp4.WriteVideo(clip.config.data(), static_cast<uint32_t>(clip.config.size()), 0, 0)) return false;
  uint32_t sound = 0;
  const std::vector<uint8_t> frame(96, 0x33);  // 64 ms of 3-bit ADPCM
  for (size_t i = 0; i < r.times.size(); ++i) {
    for (; r.sound && sound <= r.times[i]; sound += 64)
      mp4.WriteAudio(frame.data(), static_cast<uint32_t>(frame.size()), 0, sound);
    const std::vector<uint8_t>& p = clip.pictures[(r.firstPicture + i) % clip.pictures.size()];
    if (!mp4.WriteVideo(p.data(), static_cast<uint32_t>(p.size()), static_cast<uint32_t>(i + 1), r.times[i]))
      return false;
  }
  if (!r.finish) {
    mp4.Close();
    return true;
  }
  return mp4.Finalise();
}

// A folder of its own under the temporary folder, removed at the end.
struct TempFolder {
  explicit TempFolder(const std::string& name)
      : path(std::filesystem::temp_directory_path() / ("halyard_" + name)) {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  std::string Root() const { return path.string() + "/"; }
  std::filesystem::path path;
};

}  // namespace record::testing
