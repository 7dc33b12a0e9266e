#pragma once
// A node's received sound as its sound output takes it: the media worker
// decodes each unit whole (the ADPCM decoder's state must run over every
// code the camera sent) and hands over 16-bit PCM.
#include <cstdint>

namespace present {

// One received unit's samples; valid until the source's next call.
struct SoundSamples {
  const int16_t* samples = nullptr;
  int count = 0;
  uint64_t timestamp = 0;
};

class SoundSource {
 public:
  virtual ~SoundSource() = default;
  // Units received and not yet taken.
  virtual int Waiting() const = 0;
  // The oldest unit goes unheard (the output is too far ahead).
  virtual void DropOldest() = 0;
  // Decodes the oldest unit and takes it off; false when none waits.
  virtual bool TakeOldest(SoundSamples* out) = 0;
};

}  // namespace present
