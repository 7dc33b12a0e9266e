#include "app/view/node_playback.h"

#include <algorithm>
#include <cstring>

#include "node/media_ring.h"
#include "os/debug_log.h"

namespace present {

namespace {
// 192 bytes of 3-bit codes decode to exactly one block. Decoding a longer
// unit in pieces of 192 bytes (a multiple of 3, so no code straddles two
// pieces) gives the samples and the decoder state of decoding it whole.
constexpr uint32_t kCodeBytesPerBlock = 192;
}  // namespace

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

bool NodePlayback::FeedOne(node::MediaRing& audio, codec::AudioDecoder& decoder) {
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
    if (audio.BeginRead() >= 0) audio.CommitRead();
    return false;
  }
  bool consumed = false;
  if (playing && queued < kLowWater * kBlockBytes && audio.Count() < kStartThreshold) {
    std::memset(m_block, 0, sizeof m_block);  // nothing received: silence keeps ahead of the cursor
  } else {
    const int slot = audio.BeginRead();
    if (slot < 0) return false;
    DecodeUnit(audio.Slot(slot), decoder);
    audio.CommitRead();
    consumed = true;
  }
  WriteBlock();
  m_lastAhead = queued + kBlockBytes;
  if (!playing && queued > kStartThreshold * kBlockBytes) m_buffer->Play();
  return consumed;
}

// The first 1024 bytes of the unit's samples fill the decode block (a short
// unit is padded with silence); the decoder still runs over the rest, so its
// state stays in step with the camera's encoder.
void NodePlayback::DecodeUnit(const node::MediaUnit& unit, codec::AudioDecoder& decoder) {
  const uint8_t* codes = unit.Data();
  uint32_t left = unit.length;
  const uint32_t first = std::min(left, kCodeBytesPerBlock);
  const int produced = decoder.Decode(codes, int(first), m_block);
  const size_t filled = std::min<size_t>(size_t(std::max(produced, 0)), sizeof m_block);
  std::memset(reinterpret_cast<uint8_t*>(m_block) + filled, 0, sizeof m_block - filled);
  codes += first;
  left -= first;
  while (left > 0) {
    const uint32_t piece = std::min(left, kCodeBytesPerBlock);
    decoder.Decode(codes, int(piece), m_spill);
    codes += piece;
    left -= piece;
  }
}

void NodePlayback::WriteBlock() {
  if (m_writeIndex == kBlockCount) m_writeIndex = 0;
  m_buffer->Write(uint32_t(m_writeIndex) * kBlockBytes, reinterpret_cast<const uint8_t*>(m_block), kBlockBytes);
  ++m_writeIndex;
}

}  // namespace present
