#include "node/sound_source.h"

#include <algorithm>

#include "node/media_ring.h"

namespace node {

int RingSoundSource::Waiting() const { return m_ring.Count(); }

void RingSoundSource::DropOldest() {
  if (m_ring.BeginRead() >= 0) m_ring.CommitRead();
}

bool RingSoundSource::TakeOldest(SoundSamples* out) {
  const int slot = m_ring.BeginRead();
  if (slot < 0) return false;
  const MediaUnit& unit = m_ring.Slot(slot);
  const int length = static_cast<int>(unit.length);
  const size_t room = static_cast<size_t>(codec::AdpcmDecodedSize(length)) / 2 + 1;
  if (m_samples.size() < room) m_samples.resize(room);
  const int bytes = m_decoder.Decode(unit.Data(), length, m_samples.data());
  out->samples = m_samples.data();
  out->count = std::clamp(bytes / 2, 0, static_cast<int>(room));
  out->timestamp = unit.timestamp;
  m_ring.CommitRead();
  return true;
}

}  // namespace node
