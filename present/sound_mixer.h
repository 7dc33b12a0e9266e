#pragma once
// All views' sound through one DirectSound secondary buffer. Under Wine
// every secondary buffer costs its own resampling and locking in the sound
// server's mixer each period, so with many views the program mixes for
// itself: each node still gets a buffer of its own (a voice: memory with a
// play cursor, looping, started and stopped as a DirectSound buffer is),
// and one thread adds the playing voices, each at its own volume, into the
// one real buffer a little ahead of that buffer's play cursor. A voice's
// play cursor is where the mixer has read it to, so the playback feeder's
// rules (start threshold, low water, overrun) hold unchanged; a stopped
// (muted) voice is left out and keeps its place. Unlike a DirectSound
// buffer, a voice stops at the end of what was written to it: a feeder
// that fell behind leaves a short silence instead of the buffer's old
// sound played again, so the media worker need not wake just to top up.
//
// Threads: voices are written and read by the nodes' media workers, made
// and dropped by the window thread; MixOnce runs on the mixer's own thread
// (tests call it directly). Voices lock only the voice list, never the
// output, so a slow DirectSound call holds up no media worker.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "present/sound_device.h"

namespace present {

class SoundMixer : public SoundDevice {
 public:
  static constexpr uint32_t kOutputBytes = 16000;  // one second
  // Mixed this far ahead of the output's play cursor; behind it the output
  // holds silence, so a mixer that falls behind plays nothing old.
  static constexpr uint32_t kLeadBytes = 1280;  // 80 ms
  static constexpr int kTickMs = 20;

  explicit SoundMixer(SoundDevice& output);
  ~SoundMixer() override;
  SoundMixer(const SoundMixer&) = delete;
  SoundMixer& operator=(const SoundMixer&) = delete;

  // A voice of `bytes`; null when the output cannot make the one real
  // buffer (made at the first voice, kept until Stop).
  std::unique_ptr<SoundBuffer> CreateBuffer(uint32_t bytes) override;

  // The mixing thread. Stop waits for it and releases the real buffer;
  // voices still held then play nothing.
  void Start();
  void Stop();

  // One pass: keeps the output mixed kLeadBytes ahead of its play cursor,
  // starts it when a voice plays and stops it after a second of silence.
  void MixOnce();

  struct Voices;  // the voice list and its lock, shared with every voice

 private:
  void ThreadLoop();
  bool MakeOutput();
  void Restart();
  void Advance(uint32_t bytes);

  SoundDevice& device_;
  std::shared_ptr<Voices> voices_;

  std::mutex output_lock_;  // the real buffer and where it is mixed to
  std::unique_ptr<SoundBuffer> output_;
  bool output_playing_ = false;
  uint32_t mix_position_ = 0;  // bytes: where the next mixed sample goes
  uint32_t last_cursor_ = 0;
  uint32_t last_ahead_ = 0;
  uint32_t silent_bytes_ = 0;  // mixed with no voice playing
  // Advance's work space, kept so that fifty passes a second allocate nothing.
  std::vector<int32_t> sum_;
  std::vector<int16_t> out_;

  std::mutex thread_lock_;
  std::condition_variable wake_;
  bool running_ = false;
  std::thread thread_;
};

}  // namespace present
