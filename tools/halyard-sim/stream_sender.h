#pragma once
// Sends one clip on one channel at its own pace: video at the clip's frame
// rate (configuration unit first), audio as one unit every 64 ms. Live
// streams loop with wall-clock timestamps; stored files play once from a
// position with timestamps counted from the start of the file, then send the
// end-of-file mark.
#include <atomic>
#include <cstdint>
#include <thread>

#include "media_source.h"
#include "os/event.h"
#include "peer_connection.h"

namespace sim {

class StreamSender {
 public:
  struct Options {
    uint32_t channel_id = 0;
    bool long_form = true;
    bool live = true;
    int start_ms = 0;  // stored files: where playback starts
  };

  StreamSender() = default;
  ~StreamSender() { Stop(); }
  StreamSender(const StreamSender&) = delete;
  StreamSender& operator=(const StreamSender&) = delete;

  void StartVideo(PeerConnection& connection, const VideoClip& clip, const Options& options);
  void StartAudio(PeerConnection& connection, const AudioClip& clip, const Options& options);
  // Joins the sending thread; nothing is sent after it returns.
  void Stop();
  void SetPaused(bool paused) { paused_ = paused; }
  bool running() const { return thread_.joinable(); }
  uint64_t units_sent() const { return units_sent_; }

 private:
  // Waits until `deadline_ms` on the monotonic clock; false when stopped.
  bool WaitUntil(uint64_t deadline_ms);
  void SendVideo(PeerConnection& connection, const VideoClip& clip, Options options);
  void SendAudio(PeerConnection& connection, const AudioClip& clip, Options options);

  std::thread thread_;
  os::Event stop_{os::Event::Reset::kManual};
  std::atomic<bool> paused_{false};
  std::atomic<uint64_t> units_sent_{0};
};

}  // namespace sim
