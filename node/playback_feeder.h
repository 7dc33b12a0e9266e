#pragma once
// The sound output's side of a node's audio ring. The media worker calls
// FeedOne while the output is open and as long as it consumes units; the
// output decides whether it has room.
#include "codec/audio/adpcm.h"

namespace node {

class MediaRing;

class PlaybackFeeder {
 public:
  virtual ~PlaybackFeeder() = default;
  virtual bool IsOpen() const = 0;
  // Takes the oldest unit of `audio` (BeginRead / CommitRead) when there is
  // room for its samples, decodes it with `decoder` and queues the samples.
  // Returns whether a unit was consumed.
  virtual bool FeedOne(MediaRing& audio, codec::AudioDecoder& decoder) = 0;
};

}  // namespace node
