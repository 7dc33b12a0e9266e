#pragma once
// The sound output's side of a node's sound. The media worker calls FeedOne
// while the output is open and as long as it takes units; the output
// decides whether it has room, and gets each unit it takes as PCM.
#include "present/sound_source.h"

namespace present {

class PlaybackFeeder {
 public:
  virtual ~PlaybackFeeder() = default;
  virtual bool IsOpen() const = 0;
  // Takes the oldest unit of `sound` when there is room for its samples
  // (or drops one, or plays silence, as the output needs) and queues the
  // samples. Returns whether a unit was taken.
  virtual bool FeedOne(SoundSource& sound) = 0;
};

}  // namespace present
