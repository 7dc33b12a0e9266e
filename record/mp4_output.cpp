#include "record/mp4_output.h"

#include <algorithm>

#include "os/file.h"
#include "os/file_sync.h"

namespace record {

std::unique_ptr<Mp4FileOutput> Mp4FileOutput::Create(const std::string& path) {
  std::FILE* file = os::OpenFile(path, "wb");
  if (!file) return nullptr;
  // Unbuffered: every write is a whole sample or table, and a full disk must
  // fail the write of the sample it hits, not a later flush. A process that
  // is killed loses nothing that a write has returned.
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<Mp4FileOutput>(new Mp4FileOutput(file, path));
}

std::unique_ptr<Mp4FileOutput> Mp4FileOutput::CreateNew(const std::string& path) {
  std::FILE* file = os::CreateNewFile(path);
  if (!file) return nullptr;
  std::setvbuf(file, nullptr, _IONBF, 0);
  os::SyncFolderOf(path.c_str());
  return std::unique_ptr<Mp4FileOutput>(new Mp4FileOutput(file, path));
}

std::unique_ptr<Mp4FileOutput> Mp4FileOutput::OpenExisting(const std::string& path, bool writable) {
  std::FILE* file = os::OpenFile(path, writable ? "r+b" : "rb");
  if (!file) return nullptr;
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<Mp4FileOutput>(new Mp4FileOutput(file, path));
}

Mp4FileOutput::~Mp4FileOutput() { std::fclose(m_file); }

bool Mp4FileOutput::Write(const uint8_t* data, size_t length) {
  if (length == 0) return true;
  return std::fwrite(data, 1, length, m_file) == length;
}

bool Mp4FileOutput::Seek(uint64_t position) {
  // Recordings reach up to 4 GiB, past what a 32-bit long holds.
  return os::SeekFile(m_file, position);
}

bool Mp4FileOutput::Sync() { return os::SyncFile(m_file); }

uint64_t Mp4FileOutput::Size() const {
  return os::FileSize(m_path);
}

bool Mp4FileOutput::Read(uint64_t position, uint8_t* out, size_t length) {
  if (!Seek(position)) return false;
  return length == 0 || std::fread(out, 1, length, m_file) == length;
}

bool Mp4FileOutput::Truncate(uint64_t size) { return os::TruncateFile(m_file, size); }

bool Mp4FileOutput::TryLock() { return os::TryLockFile(m_file) != os::FileLock::kHeldElsewhere; }

uint64_t Mp4MemoryOutput::Size() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_bytes.size();
}

std::vector<uint8_t> Mp4MemoryOutput::Bytes() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_bytes;
}

void Mp4MemoryOutput::SetCapacity(size_t capacity) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_capacity = capacity;
}

int Mp4MemoryOutput::SeekCount() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_seeks;
}

bool Mp4MemoryOutput::Write(const uint8_t* data, size_t length) {
  std::lock_guard<std::mutex> lock(m_lock);
  const size_t room = m_position < m_capacity ? m_capacity - m_position : 0;
  const size_t n = std::min(room, length);
  if (m_position + n > m_bytes.size()) m_bytes.resize(m_position + n);
  std::copy(data, data + n, m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position));
  m_position += n;
  return n == length;
}

bool Mp4MemoryOutput::Seek(uint64_t position) {
  std::lock_guard<std::mutex> lock(m_lock);
  ++m_seeks;
  if (position > m_bytes.size()) return false;
  m_position = static_cast<size_t>(position);
  return true;
}

bool Mp4MemoryOutput::Read(uint64_t position, uint8_t* out, size_t length) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (position > m_bytes.size() || length > m_bytes.size() - position) return false;
  std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(position), length, out);
  return true;
}

bool Mp4MemoryOutput::Truncate(uint64_t size) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (size > m_bytes.size()) return false;
  m_bytes.resize(static_cast<size_t>(size));
  m_position = std::min(m_position, m_bytes.size());
  return true;
}

}  // namespace record
