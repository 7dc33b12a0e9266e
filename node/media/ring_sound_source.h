#pragma once
// The node's sound ring and its decoder as the sound output's source
// (present::SoundSource): each unit is decoded whole, so the ADPCM decoder's
// state runs over every code the camera sent.
#include <cstdint>
#include <vector>

#include "codec/audio/adpcm.h"
#include "present/sound_source.h"

namespace node {

class MediaRing;

// The node's sound ring and its decoder: the media worker's source.
class RingSoundSource : public present::SoundSource {
 public:
  RingSoundSource(MediaRing& ring, codec::AudioDecoder& decoder) : ring_(ring), decoder_(decoder) {}
  int Waiting() const override;
  void DropOldest() override;
  bool TakeOldest(present::SoundSamples* out) override;

 private:
  MediaRing& ring_;
  codec::AudioDecoder& decoder_;
  std::vector<int16_t> samples_;  // grows to the longest unit, then stays
};

}  // namespace node
