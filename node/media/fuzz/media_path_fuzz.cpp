// Network input through a node's hand-off: configuration units (applied to
// the decoder in the worker's place), pictures and audio into the rings, and
// a recording of it all.
// Input: records of kind (1 byte), timestamp step (2 bytes LE), payload
// length (2 bytes LE) and payload, cut short where the input ends.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "net/media_data.h"
#include "node/media/media_path.h"
#include "node/media/node_recorder.h"
#include "record/mp4_output.h"

namespace {

class NullPoster : public os::WindowPoster {
 public:
  bool Post(os::WindowHandle, uint32_t, uintptr_t, intptr_t) override { return true; }
};

class Host : public node::RecorderHost {
 public:
  bool CameraIdKnown() const override { return true; }
  bool LinkUp() const override { return true; }
  bool ChooseRecordingPath(std::string* path) override {
    *path = "fuzz.mp4";
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NullPoster poster;
  Host host;
  node::NodeRecorder recorder(1, poster, 1, 2, host);
  recorder.SetOutputFactory([](const std::string&) { return std::make_unique<record::Mp4MemoryOutput>(); });
  node::NodeMediaPath path(1, poster, 1, nullptr, nullptr, &recorder);
  bool started = false;
  uint64_t timestamp = 0;
  size_t at = 0;
  while (at + 5 <= size) {
    static const uint32_t kKinds[] = {net::kMediaVideoFrame, net::kMediaVideoConfig, net::kMediaAudio, 7};
    net::MediaData media;
    media.kind = kKinds[data[at] & 3];
    const uint16_t step = uint16_t(data[at + 1] | data[at + 2] << 8);
    timestamp = step == 0xFFFF ? net::kEndOfFileTimestamp : timestamp + step;
    media.timestamp_ms = timestamp;
    size_t length = size_t(data[at + 3] | data[at + 4] << 8);
    at += 5;
    if (length > size - at) length = size - at;
    media.payload = data + at;
    media.payload_length = static_cast<uint32_t>(length);
    at += length;
    path.DeliverMedia(media);
    path.ApplyDueConfiguration();
    if (timestamp == net::kEndOfFileTimestamp) timestamp = 0;
    if (!started && path.HasConfiguration()) started = recorder.Start("") == 0;
    // Stand in for the worker: hand the oldest live unit to the recorder.
    const int slot = path.LiveRing().BeginRead();
    if (slot >= 0) {
      const node::MediaUnit& unit = path.LiveRing().Slot(slot);
      recorder.FeedVideo(unit.Data(), unit.length, unit.timestamp, true);
      path.LiveRing().CommitRead();
    }
  }
  recorder.Stop();
  return 0;
}
