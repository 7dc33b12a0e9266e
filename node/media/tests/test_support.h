#pragma once
// Fakes and stream helpers shared by the media path and recording tests.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/media_data.h"
#include "node/media/node_recorder.h"
#include "os/tests/recording_poster.h"
#include "record/mp4_output.h"
#include "record/mp4_reader.h"

namespace node {
class NodeMedia;
}

namespace node::testing {

using os::testing::PostedMessage;
using os::testing::RecordingPoster;

std::vector<uint8_t> ReadFile(const std::string& path);

// The simulator's 320x240 test stream, split as a camera sends it: the
// configuration unit, then one unit per picture.
struct SplitStream {
  std::vector<uint8_t> configuration;
  std::vector<std::vector<uint8_t>> pictures;
};
SplitStream LoadStream(const char* name);
// The same for an elementary stream file anywhere.
SplitStream LoadStreamFile(const std::string& path);

net::MediaData Media(uint32_t kind, const std::vector<uint8_t>& payload, uint64_t timestamp);

// A picture unit of `size` bytes: intra (coding type 0) or predicted (1).
std::vector<uint8_t> Vop(int coding_type, size_t size = 8, uint8_t fill = 0x5A);

// Polls `done` every millisecond for up to `timeout_ms`.
template <class Fn>
bool WaitFor(Fn done, int timeout_ms = 10000);

std::string TempPath(const std::string& name);

// A camera that is known and linked; the save dialog answers `chosen`, Cancel when empty.
struct FakeRecorderHost : RecorderHost {
  bool CameraIdKnown() const override { return camera_known; }
  bool LinkUp() const override { return link_up; }
  bool ChooseRecordingPath(std::string* path) override {
    ++dialogs;
    *path = chosen;
    return !chosen.empty();
  }
  bool camera_known = true, link_up = true;
  std::string chosen;
  int dialogs = 0;
};

// A recording's bytes in memory, kept beyond the writer's life.
class SharedOutput : public record::Mp4Output {
 public:
  explicit SharedOutput(std::shared_ptr<record::Mp4MemoryOutput> target) : target_(std::move(target)) {}
  bool Write(const uint8_t* data, size_t length) override { return target_->Write(data, length); }
  bool Seek(uint64_t position) override { return target_->Seek(position); }
  bool Truncate(uint64_t size) override { return target_->Truncate(size); }

 private:
  std::shared_ptr<record::Mp4MemoryOutput> target_;
};

// A file on a disk that fills or goes away: made, but while `failing` holds
// no byte of it is written.
class FailingFile : public record::Mp4Output {
 public:
  FailingFile(std::unique_ptr<record::Mp4FileOutput> file, const std::atomic<bool>& failing)
      : file_(std::move(file)), failing_(failing) {}
  bool Write(const uint8_t* data, size_t length) override { return !failing_ && file_->Write(data, length); }
  bool Seek(uint64_t position) override { return !failing_ && file_->Seek(position); }
  std::string FilePath() const override { return file_->FilePath(); }

 private:
  std::unique_ptr<record::Mp4FileOutput> file_;
  const std::atomic<bool>& failing_;
};

// A finished recording on disk: each picture's sync flag, the decoder
// configuration, and how long its pictures and its sound last (first to
// last sample, in ms).
struct Recorded {
  std::vector<bool> sync;
  std::vector<uint8_t> configuration;
  uint64_t video_ms = 0, audio_ms = 0;
};
Recorded ReadRecording(const std::string& path);
// Every file under `dir`, sorted; none when it is missing.
std::vector<std::string> FilesUnder(const std::string& dir);
// Pictures 40 ms apart from `first_ms` through a node's media path, in
// bursts its running worker shows at once.
void PlayInBursts(NodeMedia& media, const std::vector<std::vector<uint8_t>>& pictures, uint64_t first_ms);

// The index of a finished recording, in memory or on disk; false when it is none.
bool IndexOf(const std::vector<uint8_t>& bytes, record::Mp4Index* index);
record::Mp4Index IndexOfFile(const std::string& path);
// The track of a handler ("vide", "soun"), or null.
const record::Mp4ReadTrack* TrackOf(const record::Mp4Index& index, const char* handler);

}  // namespace node::testing

#include "os/clock.h"

template <class Fn>
bool node::testing::WaitFor(Fn done, int timeout_ms) {
  const uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(timeout_ms);
  while (!done()) {
    if (os::MonotonicMs() > end) return false;
    os::SleepMs(1);
  }
  return true;
}
