// Where a recording's bytes go. The writer keeps its own position and seeks
// only when the stream is somewhere else, so an implementation needs no tell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace record {

class Mp4Output {
 public:
  virtual ~Mp4Output() = default;
  // Writes all `length` bytes at the current position or reports false; after
  // a failure the stream position is unknown until the next Seek.
  virtual bool Write(const uint8_t* data, size_t length) = 0;
  virtual bool Seek(uint64_t position) = 0;
};

// C runtime file I/O; owns the FILE.
class Mp4FileOutput : public Mp4Output {
 public:
  // Creates (or truncates) the file; null when it cannot be opened.
  static std::unique_ptr<Mp4FileOutput> Create(const std::string& path);
  ~Mp4FileOutput() override;
  Mp4FileOutput(const Mp4FileOutput&) = delete;
  Mp4FileOutput& operator=(const Mp4FileOutput&) = delete;

  bool Write(const uint8_t* data, size_t length) override;
  bool Seek(uint64_t position) override;

 private:
  explicit Mp4FileOutput(std::FILE* file) : m_file(file) {}
  std::FILE* m_file;
};

// Keeps the bytes in memory; `capacity` simulates a full disk: a write that
// would pass it stores what fits and fails, as fwrite does.
class Mp4MemoryOutput : public Mp4Output {
 public:
  explicit Mp4MemoryOutput(size_t capacity = SIZE_MAX) : m_capacity(capacity) {}
  bool Write(const uint8_t* data, size_t length) override;
  bool Seek(uint64_t position) override;

  const std::vector<uint8_t>& Bytes() const { return m_bytes; }
  void SetCapacity(size_t capacity) { m_capacity = capacity; }
  int SeekCount() const { return m_seeks; }

 private:
  std::vector<uint8_t> m_bytes;
  size_t m_position = 0;
  size_t m_capacity;
  int m_seeks = 0;
};

}  // namespace record
