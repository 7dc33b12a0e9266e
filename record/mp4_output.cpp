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

Mp4FileOutput::~Mp4FileOutput() { std::fclose(file_); }

bool Mp4FileOutput::Write(const uint8_t* data, size_t length) {
  if (length == 0) return true;
  return std::fwrite(data, 1, length, file_) == length;
}

bool Mp4FileOutput::Seek(uint64_t position) {
  // Recordings reach up to 4 GiB, past what a 32-bit long holds.
  return os::SeekFile(file_, position);
}

bool Mp4FileOutput::Sync() { return os::SyncFile(file_); }

uint64_t Mp4FileOutput::Size() const {
  return os::FileSize(path_);
}

bool Mp4FileOutput::Read(uint64_t position, uint8_t* out, size_t length) {
  if (!Seek(position)) return false;
  return length == 0 || std::fread(out, 1, length, file_) == length;
}

bool Mp4FileOutput::Truncate(uint64_t size) { return os::TruncateFile(file_, size); }

bool Mp4FileOutput::TryLock() { return os::TryLockFile(file_) != os::FileLock::kHeldElsewhere; }

uint64_t Mp4MemoryOutput::Size() const {
  std::lock_guard<std::mutex> lock(lock_);
  return bytes_.size();
}

std::vector<uint8_t> Mp4MemoryOutput::Bytes() const {
  std::lock_guard<std::mutex> lock(lock_);
  return bytes_;
}

void Mp4MemoryOutput::SetCapacity(size_t capacity) {
  std::lock_guard<std::mutex> lock(lock_);
  capacity_ = capacity;
}

int Mp4MemoryOutput::SeekCount() const {
  std::lock_guard<std::mutex> lock(lock_);
  return seeks_;
}

bool Mp4MemoryOutput::Write(const uint8_t* data, size_t length) {
  std::lock_guard<std::mutex> lock(lock_);
  const size_t room = position_ < capacity_ ? capacity_ - position_ : 0;
  const size_t n = std::min(room, length);
  if (position_ + n > bytes_.size()) bytes_.resize(position_ + n);
  std::copy(data, data + n, bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ += n;
  return n == length;
}

bool Mp4MemoryOutput::Seek(uint64_t position) {
  std::lock_guard<std::mutex> lock(lock_);
  ++seeks_;
  if (position > bytes_.size()) return false;
  position_ = static_cast<size_t>(position);
  return true;
}

bool Mp4MemoryOutput::Read(uint64_t position, uint8_t* out, size_t length) {
  std::lock_guard<std::mutex> lock(lock_);
  if (position > bytes_.size() || length > bytes_.size() - position) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position), length, out);
  return true;
}

bool Mp4MemoryOutput::Truncate(uint64_t size) {
  std::lock_guard<std::mutex> lock(lock_);
  if (size > bytes_.size()) return false;
  bytes_.resize(static_cast<size_t>(size));
  position_ = std::min(position_, bytes_.size());
  return true;
}

}  // namespace record
