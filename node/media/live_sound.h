#pragma once
// A node's live sound: the ring the receive thread queues the camera's
// frames in, and the ADPCM decoder the media worker feeds the sound output
// from. The ring has its own lock; the decoder and the feeding are the
// media worker's (Reset on the window thread with the worker stopped).
#include <functional>

#include "codec/audio/adpcm.h"
#include "node/media/media_ring.h"
#include "node/media/ring_sound_source.h"

namespace present {
class PlaybackFeeder;
}  // namespace present

namespace node {

class LiveSound {
 public:
  // `feeder` may be null (no sound output); it must outlive this object.
  LiveSound(int node_index, present::PlaybackFeeder* feeder) : node_index_(node_index), feeder_(feeder) {}

  MediaRing& Ring() { return ring_; }
  // Whether the sound is played at all: without an output nothing is queued.
  bool Heard() const { return feeder_ != nullptr; }
  // Media worker: hands the output what it takes while `go_on` holds.
  void Feed(const std::function<bool()>& go_on);
  // A new stream: the decoder's state starts afresh.
  void ResetDecoder() { decoder_.Reset(); }

 private:
  const int node_index_;
  present::PlaybackFeeder* const feeder_;
  MediaRing ring_{MediaRing::kAudioSlots, 1024};
  codec::AdpcmDecoder decoder_;
  RingSoundSource source_{ring_, decoder_};  // media worker: decodes for the feeder
};

}  // namespace node
