#include "app/view/node_playback.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "os/debug_log.h"

namespace present {

void NodePlayback::Bind(SoundDevice* device) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_device = device;
  m_soundReady = device != nullptr;
}

bool NodePlayback::CreateBuffer() {
  std::lock_guard<std::mutex> lock(m_lock);
  if (!m_soundReady.load() || !m_device) return false;
  if (m_buffer) m_buffer->Stop();
  m_buffer = m_device->CreateBuffer(kBufferBytes);
  m_writeIndex = 0;
  m_lastCursor = 0;
  m_lastAhead = 0;
  m_soundReady = m_buffer != nullptr;
  return m_soundReady.load();
}

void NodePlayback::ReleaseBuffer() {
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_buffer) m_buffer->Stop();
  m_buffer.reset();
}

void NodePlayback::SetMute(bool mute) { m_mute = mute; }

int NodePlayback::WriteIndex() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_writeIndex;
}

uint32_t NodePlayback::Queued(uint32_t cursor) const {
  const uint32_t position = uint32_t(m_writeIndex) * kBlockBytes;
  return cursor > position ? position + kBufferBytes - cursor : position - cursor;
}

bool NodePlayback::CursorOvertook(uint32_t cursor) const {
  const uint32_t moved = (cursor + kBufferBytes - m_lastCursor) % kBufferBytes;
  return moved > m_lastAhead;
}

// The media thread stalled long enough for the play cursor to run past the
// data written: without this the feeder would take the whole buffer for
// queued data, replay 6.4 s of old sound and write everything new that far
// behind. Writing resumes in the block after the cursor.
void NodePlayback::Resynchronise(uint32_t cursor) {
  DebugLog("NodePlayback : play cursor ran past the written sound, resuming after it\n");
  m_writeIndex = int((cursor / kBlockBytes + 1) % kBlockCount);
}

bool NodePlayback::FeedOne(node::SoundSource& sound) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (!m_buffer) return false;
  const bool playing = m_buffer->Playing();
  if (m_mute.load()) {
    if (playing) m_buffer->Stop();
    return false;
  }
  const uint32_t cursor = m_buffer->PlayCursor();
  if (playing && CursorOvertook(cursor)) Resynchronise(cursor);
  const uint32_t queued = Queued(cursor);
  m_lastCursor = cursor;
  m_lastAhead = queued;

  if (queued > (kBlockCount - 1) * kBlockBytes) {
    // Received faster than played: the oldest unit goes.
    if (!playing) m_buffer->Play();
    sound.DropOldest();
    return false;
  }
  bool consumed = false;
  if (playing && queued < kLowWater * kBlockBytes && sound.Waiting() < kStartThreshold) {
    std::memset(m_block, 0, sizeof m_block);  // nothing received: silence keeps ahead of the cursor
  } else {
    node::SoundSamples pcm;
    if (!sound.TakeOldest(&pcm)) return false;
    FillBlock(pcm);
    consumed = true;
  }
  WriteBlock();
  m_lastAhead = queued + kBlockBytes;
  if (!playing && queued > kStartThreshold * kBlockBytes) m_buffer->Play();
  return consumed;
}

// The unit's first 1024 bytes of samples; a short unit ends in silence.
void NodePlayback::FillBlock(const node::SoundSamples& pcm) {
  const size_t count = std::min<size_t>(size_t(std::max(pcm.count, 0)), std::size(m_block));
  if (count > 0) std::memcpy(m_block, pcm.samples, count * sizeof m_block[0]);
  std::fill(m_block + count, std::end(m_block), int16_t{0});
}

void NodePlayback::WriteBlock() {
  if (m_writeIndex == kBlockCount) m_writeIndex = 0;
  m_buffer->Write(uint32_t(m_writeIndex) * kBlockBytes, reinterpret_cast<const uint8_t*>(m_block), kBlockBytes);
  ++m_writeIndex;
}

}  // namespace present
