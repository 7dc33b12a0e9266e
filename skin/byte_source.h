#pragma once
// Bounded random access to a file's bytes. The skin reader and the bitmap
// loader read through it, so every read is checked against what is there.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace skin {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to n bytes from offset into out; returns how many arrived
  // (fewer at the end of the data, 0 past it).
  virtual size_t ReadAt(uint64_t offset, void* out, size_t n) = 0;
  virtual uint64_t Size() const = 0;

  // True when exactly n bytes were read.
  bool ReadExact(uint64_t offset, void* out, size_t n) { return ReadAt(offset, out, n) == n; }
};

// Bytes held in memory (tests, the fuzz targets, resources).
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  MemorySource(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;
  uint64_t Size() const override { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

// A file opened with the C library (the native tools; the viewer opens its
// skin files with wide-character Win32 calls instead).
class StdFileSource : public ByteSource {
 public:
  StdFileSource() = default;
  ~StdFileSource() override;
  StdFileSource(const StdFileSource&) = delete;
  StdFileSource& operator=(const StdFileSource&) = delete;
  bool Open(const std::string& path);
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;
  uint64_t Size() const override { return size_; }

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

// A window onto part of another source: offsets count from `offset`, and
// nothing past `size` bytes can be read.
class SubSource : public ByteSource {
 public:
  SubSource(ByteSource& whole, uint64_t offset, uint64_t size);
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;
  uint64_t Size() const override { return size_; }

 private:
  ByteSource& whole_;
  uint64_t offset_;
  uint64_t size_;
};

}  // namespace skin
