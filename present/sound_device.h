#pragma once
// The seam under the playback feeder: a DirectSound secondary buffer and the
// sound output that makes them. The feeder's rules (start threshold,
// silence, overrun, mute) are tested with a fake buffer whose play cursor
// the test moves; the DirectSound implementation is in win32/.
#include <cstdint>
#include <memory>

namespace present {

// Sound format everywhere: PCM, mono, 8000 samples per second, 16 bits.
constexpr int kSoundRate = 8000;
constexpr int kSoundChannels = 1;
constexpr int kSoundBits = 16;
constexpr int kSoundBlockAlign = 2;
constexpr int kSoundBytesPerSecond = 16000;

class SoundBuffer {
 public:
  virtual ~SoundBuffer() = default;
  virtual bool Playing() = 0;         // GetStatus shows DSBSTATUS_PLAYING
  virtual uint32_t PlayCursor() = 0;  // GetCurrentPosition's play position
  virtual void Play() = 0;            // looping
  virtual void Stop() = 0;
  // Lock `length` bytes at `offset`, copy, unlock; false when the lock fails.
  virtual bool Write(uint32_t offset, const uint8_t* data, uint32_t length) = 0;
  // 0 (silent) to 100 (as received, the default).
  virtual void SetVolume(int percent) = 0;
};

// The program's sound output as a node sees it.
class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  // A secondary buffer of `bytes` in the format above (DSBCAPS_CTRLFREQUENCY,
  // CTRLPAN, CTRLVOLUME, STICKYFOCUS, GETCURRENTPOSITION2); null on failure.
  virtual std::unique_ptr<SoundBuffer> CreateBuffer(uint32_t bytes) = 0;
};

}  // namespace present
