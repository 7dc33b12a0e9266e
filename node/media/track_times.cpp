#include "node/media/track_times.h"

namespace node {

void TrackTimes::StartFile() {
  first_video_ = first_audio_ = true;
  video_index_ = 1;  // unit 0 is the configuration
  audio_index_ = 0;
  last_video_ = last_audio_ = base_ = 0;
  audio_clock_.Reset();
  audio_shift_ = 0;
}

uint32_t TrackTimes::PictureTime(uint64_t timestamp) {
  last_video_ = video_clock_.Advance(timestamp);
  if (first_video_) {
    first_video_ = false;
    base_ = last_video_;
  }
  return static_cast<uint32_t>(last_video_ - base_);
}

void TrackTimes::EndBefore(uint64_t timestamp) {
  const uint64_t time = video_clock_.Peek(timestamp);
  if (UnitClock::NotBefore(time, last_video_)) last_video_ = time;
}

bool TrackTimes::SoundCaughtUp(uint64_t queued) {
  if (first_audio_ && audio_shift_ == 0 && !first_video_) {
    const uint64_t gap = UnitClock::NotBefore(queued, last_video_) ? queued - last_video_ : last_video_ - queued;
    if (gap > UnitClock::kLargestStepMs) audio_shift_ = static_cast<int64_t>(last_video_ - queued);
  }
  const uint64_t at = queued + static_cast<uint64_t>(audio_shift_);
  return !first_video_ && UnitClock::NotBefore(last_video_, at);
}

bool TrackTimes::PlaceSound(uint64_t queued, uint32_t* index, uint32_t* time) {
  if (first_video_) return false;  // no picture yet: the file's clock has not started
  const uint64_t at = queued + static_cast<uint64_t>(audio_shift_);
  if (first_audio_) {
    if (!UnitClock::NotBefore(at, base_)) return false;  // sound from before the file's first picture
    first_audio_ = false;
  }
  last_audio_ = audio_clock_.Advance(at);
  *index = audio_index_++;
  *time = static_cast<uint32_t>(last_audio_ - base_);
  return true;
}

}  // namespace node
