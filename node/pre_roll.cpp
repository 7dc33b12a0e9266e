#include "node/pre_roll.h"

namespace node {

void PreRollBuffer::AddVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool intra) {
  if (!data || length == 0) return;
  std::lock_guard<std::mutex> lock(m_lock);
  // Nothing before the first intra picture could start a recording.
  if (!intra && m_groups.empty()) return;
  if (intra) {
    m_groups.emplace_back();
    m_groups.back().start = timestamp;
  }
  Group& group = m_groups.back();
  group.units.push_back({true, intra, timestamp, std::vector<uint8_t>(data, data + length)});
  group.bytes += length;
  m_bytes += length;
  if (timestamp > m_newest) m_newest = timestamp;
  Trim();
}

void PreRollBuffer::AddAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) {
  if (!data || length == 0) return;
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_groups.empty()) return;
  Group& group = m_groups.back();
  group.units.push_back({false, false, timestamp, std::vector<uint8_t>(data, data + length)});
  group.bytes += length;
  m_bytes += length;
  Trim();
}

void PreRollBuffer::Trim() {
  // The second group can start the recording alone once it is old enough.
  while (m_groups.size() >= 2 && m_groups[1].start + m_keepMs <= m_newest) {
    m_bytes -= m_groups.front().bytes;
    m_groups.pop_front();
  }
  while (m_bytes > m_maxBytes && !m_groups.empty()) {
    m_bytes -= m_groups.front().bytes;
    m_groups.pop_front();
  }
}

void PreRollBuffer::Replay(uint64_t nowMs, const std::function<void(const Unit&)>& take) const {
  std::vector<Unit> copy;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    size_t first = 0;
    for (size_t i = 1; i < m_groups.size(); ++i)
      if (m_groups[i].start + m_keepMs <= nowMs) first = i;
    for (size_t i = first; i < m_groups.size(); ++i)
      copy.insert(copy.end(), m_groups[i].units.begin(), m_groups[i].units.end());
  }
  for (const Unit& unit : copy) take(unit);
}

void PreRollBuffer::Clear() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_groups.clear();
  m_bytes = 0;
  m_newest = 0;
}

size_t PreRollBuffer::Bytes() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_bytes;
}

uint64_t PreRollBuffer::OldestPicture() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_groups.empty() ? 0 : m_groups.front().start;
}

}  // namespace node
