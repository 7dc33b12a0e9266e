#include "record/mp4_output.h"

#include <algorithm>

namespace record {

std::unique_ptr<Mp4FileOutput> Mp4FileOutput::Create(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return nullptr;
  return std::unique_ptr<Mp4FileOutput>(new Mp4FileOutput(file));
}

Mp4FileOutput::~Mp4FileOutput() { std::fclose(m_file); }

bool Mp4FileOutput::Write(const uint8_t* data, size_t length) {
  if (length == 0) return true;
  return std::fwrite(data, 1, length, m_file) == length;
}

bool Mp4FileOutput::Seek(uint64_t position) {
  // Recordings stay below 4 GiB (chunk offsets are 32-bit), so a long is enough
  // everywhere except for the cast itself.
  if (position > 0x7FFFFFFFu) {
    std::fflush(m_file);
    if (std::fseek(m_file, 0x7FFFFFFF, SEEK_SET) != 0) return false;
    return std::fseek(m_file, static_cast<long>(position - 0x7FFFFFFF), SEEK_CUR) == 0;
  }
  return std::fseek(m_file, static_cast<long>(position), SEEK_SET) == 0;
}

bool Mp4MemoryOutput::Write(const uint8_t* data, size_t length) {
  const size_t room = m_position < m_capacity ? m_capacity - m_position : 0;
  const size_t n = std::min(room, length);
  if (m_position + n > m_bytes.size()) m_bytes.resize(m_position + n);
  std::copy(data, data + n, m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position));
  m_position += n;
  return n == length;
}

bool Mp4MemoryOutput::Seek(uint64_t position) {
  ++m_seeks;
  if (position > m_bytes.size()) return false;
  m_position = static_cast<size_t>(position);
  return true;
}

}  // namespace record
