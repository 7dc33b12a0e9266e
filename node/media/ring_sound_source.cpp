#include "node/media/ring_sound_source.h"

#include <algorithm>

#include "node/media/media_ring.h"

namespace node {

int RingSoundSource::Waiting() const { return ring_.Count(); }

void RingSoundSource::DropOldest() {
  if (ring_.BeginRead() >= 0) ring_.CommitRead();
}

bool RingSoundSource::TakeOldest(present::SoundSamples* out) {
  const int slot = ring_.BeginRead();
  if (slot < 0) return false;
  const MediaUnit& unit = ring_.Slot(slot);
  const int length = static_cast<int>(unit.length);
  const size_t room = static_cast<size_t>(codec::AdpcmDecodedSize(length)) / 2 + 1;
  if (samples_.size() < room) samples_.resize(room);
  const int bytes = decoder_.Decode(unit.Data(), length, samples_.data());
  out->samples = samples_.data();
  out->count = std::clamp(bytes / 2, 0, static_cast<int>(room));
  out->timestamp = unit.timestamp;
  ring_.CommitRead();
  return true;
}

}  // namespace node
