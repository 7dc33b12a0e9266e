#include "present/node_playback.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "os/debug_log.h"

namespace present {

void NodePlayback::Bind(SoundDevice* device) {
  std::lock_guard<std::mutex> lock(lock_);
  device_ = device;
  sound_ready_ = device != nullptr;
}

bool NodePlayback::CreateBuffer() {
  std::lock_guard<std::mutex> lock(lock_);
  if (!sound_ready_.load() || !device_) return false;
  if (buffer_) buffer_->Stop();
  buffer_ = device_->CreateBuffer(kBufferBytes);
  write_index_ = 0;
  last_cursor_ = 0;
  last_ahead_ = 0;
  sound_ready_ = buffer_ != nullptr;
  return sound_ready_.load();
}

void NodePlayback::ReleaseBuffer() {
  std::lock_guard<std::mutex> lock(lock_);
  if (buffer_) buffer_->Stop();
  buffer_.reset();
}

void NodePlayback::SetMute(bool mute) { mute_ = mute; }

int NodePlayback::WriteIndex() const {
  std::lock_guard<std::mutex> lock(lock_);
  return write_index_;
}

uint32_t NodePlayback::Queued(uint32_t cursor) const {
  const uint32_t position = uint32_t(write_index_) * kBlockBytes;
  return cursor > position ? position + kBufferBytes - cursor : position - cursor;
}

bool NodePlayback::CursorOvertook(uint32_t cursor) const {
  const uint32_t moved = (cursor + kBufferBytes - last_cursor_) % kBufferBytes;
  return moved > last_ahead_;
}

// The media thread stalled long enough for the play cursor to run past the
// data written: without this the feeder would take the whole buffer for
// queued data, replay 6.4 s of old sound and write everything new that far
// behind. Writing resumes in the block after the cursor.
void NodePlayback::Resynchronise(uint32_t cursor) {
  DebugLog("NodePlayback : play cursor ran past the written sound, resuming after it\n");
  write_index_ = int((cursor / kBlockBytes + 1) % kBlockCount);
}

bool NodePlayback::FeedOne(SoundSource& sound) {
  std::lock_guard<std::mutex> lock(lock_);
  if (!buffer_) return false;
  const bool playing = buffer_->Playing();
  if (mute_.load()) {
    if (playing) buffer_->Stop();
    return false;
  }
  const uint32_t cursor = buffer_->PlayCursor();
  if (playing && CursorOvertook(cursor)) Resynchronise(cursor);
  const uint32_t queued = Queued(cursor);
  last_cursor_ = cursor;
  last_ahead_ = queued;

  if (queued > (kBlockCount - 1) * kBlockBytes) {
    // Received faster than played: the oldest unit goes.
    if (!playing) buffer_->Play();
    sound.DropOldest();
    return false;
  }
  bool consumed = false;
  if (playing && queued < kLowWater * kBlockBytes && sound.Waiting() < kStartThreshold) {
    std::memset(block_, 0, sizeof block_);  // nothing received: silence keeps ahead of the cursor
  } else {
    SoundSamples pcm;
    if (!sound.TakeOldest(&pcm)) return false;
    FillBlock(pcm);
    consumed = true;
  }
  WriteBlock();
  last_ahead_ = queued + kBlockBytes;
  if (!playing && queued > kStartThreshold * kBlockBytes) buffer_->Play();
  return consumed;
}

// The unit's first 1024 bytes of samples; a short unit ends in silence.
void NodePlayback::FillBlock(const SoundSamples& pcm) {
  const size_t count = std::min<size_t>(size_t(std::max(pcm.count, 0)), std::size(block_));
  if (count > 0) std::memcpy(block_, pcm.samples, count * sizeof block_[0]);
  std::fill(block_ + count, std::end(block_), int16_t{0});
}

void NodePlayback::WriteBlock() {
  if (write_index_ == kBlockCount) write_index_ = 0;
  buffer_->Write(uint32_t(write_index_) * kBlockBytes, reinterpret_cast<const uint8_t*>(block_), kBlockBytes);
  ++write_index_;
}

}  // namespace present
