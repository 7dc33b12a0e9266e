#include "skin/byte_source.h"

#include <algorithm>
#include <cstring>

namespace skin {

size_t MemorySource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (offset >= bytes_.size()) return 0;
  size_t count = static_cast<size_t>(std::min<uint64_t>(n, bytes_.size() - offset));
  if (count) std::memcpy(out, bytes_.data() + offset, count);
  return count;
}

StdFileSource::~StdFileSource() {
  if (file_) std::fclose(file_);
}

bool StdFileSource::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  size_ = 0;
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    long end = std::ftell(file_);
    if (end > 0) size_ = static_cast<uint64_t>(end);
  }
  return true;
}

size_t StdFileSource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (!file_ || offset >= size_) return 0;
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return 0;
  return std::fread(out, 1, static_cast<size_t>(std::min<uint64_t>(n, size_ - offset)), file_);
}

SubSource::SubSource(ByteSource& whole, uint64_t offset, uint64_t size) : whole_(whole), offset_(offset), size_(size) {}

size_t SubSource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (offset >= size_) return 0;
  return whole_.ReadAt(offset_ + offset, out, static_cast<size_t>(std::min<uint64_t>(n, size_ - offset)));
}

}  // namespace skin
