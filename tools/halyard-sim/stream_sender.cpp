#include "stream_sender.h"

#include "net/media_data.h"
#include "os/clock.h"

namespace sim {

void StreamSender::Stop() {
  stop_.Set();
  if (thread_.joinable()) thread_.join();
  stop_.Reset();
}

bool StreamSender::WaitUntil(uint64_t deadline_ms) {
  uint64_t now = os::MonotonicMs();
  int wait = deadline_ms > now ? static_cast<int>(deadline_ms - now) : 0;
  return !stop_.Wait(wait);
}

void StreamSender::StartVideo(PeerConnection& connection, const VideoClip& clip, const Options& options) {
  Stop();
  units_sent_ = 0;
  thread_ = std::thread([this, &connection, &clip, options] { SendVideo(connection, clip, options); });
}

void StreamSender::StartAudio(PeerConnection& connection, const AudioClip& clip, const Options& options) {
  Stop();
  units_sent_ = 0;
  thread_ = std::thread([this, &connection, &clip, options] { SendAudio(connection, clip, options); });
}

void StreamSender::SendVideo(PeerConnection& connection, const VideoClip& clip, Options options) {
  const double frame_ms = 1000.0 / clip.fps;
  size_t index = options.live ? 0 : static_cast<size_t>(options.start_ms / frame_ms);
  uint64_t first_ts = options.live ? WallClockMs() : static_cast<uint64_t>(index * frame_ms);
  if (!connection.SendMedia(options.channel_id, net::kMediaVideoConfig, first_ts, clip.config.data(),
                            static_cast<uint32_t>(clip.config.size()), options.long_form))
    return;
  const uint64_t start = os::MonotonicMs();
  for (uint64_t sent = 0; connection.IsOpen(); ++sent) {
    if (!WaitUntil(start + static_cast<uint64_t>(static_cast<double>(sent) * frame_ms))) return;
    if (index >= clip.pictures.size()) {
      if (!options.live) {
        connection.SendMedia(options.channel_id, net::kMediaVideoFrame, net::kEndOfFileTimestamp, nullptr, 0,
                             options.long_form);
        return;
      }
      index = 0;
    }
    if (paused_) continue;
    const auto& picture = clip.pictures[index];
    uint64_t ts = options.live ? WallClockMs() : static_cast<uint64_t>(index * frame_ms);
    if (!connection.SendMedia(options.channel_id, net::kMediaVideoFrame, ts, picture.data(),
                              static_cast<uint32_t>(picture.size()), options.long_form))
      return;
    ++units_sent_;
    ++index;
  }
}

void StreamSender::SendAudio(PeerConnection& connection, const AudioClip& clip, Options options) {
  size_t index = options.live ? 0 : static_cast<size_t>(options.start_ms / kAudioUnitMs);
  const uint64_t start = os::MonotonicMs();
  for (uint64_t sent = 0; connection.IsOpen(); ++sent) {
    if (!WaitUntil(start + sent * kAudioUnitMs)) return;
    if (index >= clip.units.size()) {
      if (!options.live) {
        connection.SendMedia(options.channel_id, net::kMediaAudio, net::kEndOfFileTimestamp, nullptr, 0,
                             options.long_form);
        return;
      }
      index = 0;
    }
    if (paused_) continue;
    const auto& unit = clip.units[index];
    uint64_t ts = options.live ? WallClockMs() : index * kAudioUnitMs;
    if (!connection.SendMedia(options.channel_id, net::kMediaAudio, ts, unit.data(),
                              static_cast<uint32_t>(unit.size()), options.long_form))
      return;
    ++units_sent_;
    ++index;
  }
}

}  // namespace sim
