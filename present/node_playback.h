#pragma once
// A node's sound playback: its DirectSound secondary buffer of 100 blocks of
// 1024 bytes (6.4 s), fed block by block from the node's media thread
// through the media path's PlaybackFeeder: each unit's decoded samples fill
// one block (a longer unit is cut, a shorter one padded with silence).
// Playback starts once more than one block lies ahead of the play cursor,
// keeps at most 99 blocks ahead (received units beyond that are discarded
// one per call), and is topped up with silence when it runs within two
// blocks of the cursor with nothing received. Muting stops the buffer;
// unmuting resumes where the write index stands.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "present/playback_feeder.h"
#include "present/sound_device.h"

namespace present {

class NodePlayback : public PlaybackFeeder {
 public:
  static constexpr int kBlockCount = 100;
  static constexpr uint32_t kBlockBytes = 1024;
  static constexpr uint32_t kBufferBytes = kBlockCount * kBlockBytes;
  static constexpr int kStartThreshold = 1;  // blocks
  static constexpr int kLowWater = 2;        // blocks

  NodePlayback() = default;
  ~NodePlayback() override = default;
  NodePlayback(const NodePlayback&) = delete;
  NodePlayback& operator=(const NodePlayback&) = delete;

  // The main window hands over its sound output when that is ready (null
  // otherwise); the sound-ready flag follows.
  void Bind(SoundDevice* device);
  // The node's Setup: makes the buffer when sound is ready; the sound-ready
  // flag becomes the result.
  bool CreateBuffer();
  // The audio channel closes.
  void ReleaseBuffer();
  void SetMute(bool mute);
  bool Muted() const { return mute_.load(); }

  // PlaybackFeeder (media thread).
  bool IsOpen() const override { return sound_ready_.load(); }
  bool FeedOne(SoundSource& sound) override;

  int WriteIndex() const;

 private:
  uint32_t Queued(uint32_t cursor) const;
  bool CursorOvertook(uint32_t cursor) const;
  void Resynchronise(uint32_t cursor);
  void FillBlock(const SoundSamples& pcm);
  void WriteBlock();

  mutable std::mutex lock_;  // the buffer and the write position
  SoundDevice* device_ = nullptr;
  std::unique_ptr<SoundBuffer> buffer_;
  std::atomic<bool> sound_ready_{false};
  std::atomic<bool> mute_{false};
  int write_index_ = 0;
  // Where the cursor stood and how far ahead of it the data reached after
  // the last call: a cursor that moved further has run past the data.
  uint32_t last_cursor_ = 0;
  uint32_t last_ahead_ = 0;
  int16_t block_[kBlockBytes / 2] = {};  // the block being written
};

}  // namespace present
