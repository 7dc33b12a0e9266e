// Where a recording's bytes go. The writer keeps its own position and seeks
// only when the stream is somewhere else, so an implementation needs no tell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace record {

class Mp4Output {
 public:
  virtual ~Mp4Output() = default;
  // Writes all `length` bytes at the current position or reports false; after
  // a failure the stream position is unknown until the next Seek.
  virtual bool Write(const uint8_t* data, size_t length) = 0;
  virtual bool Seek(uint64_t position) = 0;
  // Makes everything written so far durable, as a power cut would find it.
  // May run on another thread while Write runs.
  virtual bool Sync() { return true; }
  // Cuts the output back to `size` bytes; false where it cannot.
  virtual bool Truncate(uint64_t size) {
    (void)size;
    return false;
  }
  // The file the bytes go to (UTF-8), empty when they go elsewhere. A
  // recording into a file keeps its journal beside it.
  virtual std::string FilePath() const { return std::string(); }
};

// An output whose bytes can be read back and cut short: what repair works on.
class Mp4Storage : public Mp4Output {
 public:
  virtual uint64_t Size() const = 0;
  // Reads exactly `length` bytes at `position`, or reports false.
  virtual bool Read(uint64_t position, uint8_t* out, size_t length) = 0;
  bool Truncate(uint64_t size) override = 0;
};

// C runtime file I/O; owns the FILE.
class Mp4FileOutput : public Mp4Storage {
 public:
  // Creates (or truncates) the file; null when it cannot be opened.
  static std::unique_ptr<Mp4FileOutput> Create(const std::string& path);
  // Creates the file only where none exists (no recording replaces
  // another); null when it exists or cannot be created. The folder is
  // synced, so the new name survives a power cut with the journal's records.
  static std::unique_ptr<Mp4FileOutput> CreateNew(const std::string& path);
  // Opens a file that exists, for reading and, when `writable`, writing.
  static std::unique_ptr<Mp4FileOutput> OpenExisting(const std::string& path, bool writable);
  ~Mp4FileOutput() override;
  Mp4FileOutput(const Mp4FileOutput&) = delete;
  Mp4FileOutput& operator=(const Mp4FileOutput&) = delete;

  bool Write(const uint8_t* data, size_t length) override;
  bool Seek(uint64_t position) override;
  bool Sync() override;
  std::string FilePath() const override { return path_; }
  uint64_t Size() const override;
  bool Read(uint64_t position, uint8_t* out, size_t length) override;
  bool Truncate(uint64_t size) override;
  // An exclusive lock, held until the file closes; false only when another
  // handle holds it (a recording still running, or a repair under way), not
  // on a file system that keeps no locks.
  bool TryLock();

 private:
  Mp4FileOutput(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
  std::FILE* file_;
  std::string path_;
};

// Keeps the bytes in memory; `capacity` simulates a full disk: a write that
// would pass it stores what fits and fails, as fwrite does. Locked, as a
// file is shared: a journal's sync thread writes while a test reads.
class Mp4MemoryOutput : public Mp4Storage {
 public:
  explicit Mp4MemoryOutput(size_t capacity = SIZE_MAX) : capacity_(capacity) {}
  explicit Mp4MemoryOutput(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)), capacity_(SIZE_MAX) {}
  bool Write(const uint8_t* data, size_t length) override;
  bool Seek(uint64_t position) override;
  uint64_t Size() const override;
  bool Read(uint64_t position, uint8_t* out, size_t length) override;
  bool Truncate(uint64_t size) override;

  // A copy: the writer may go on meanwhile.
  std::vector<uint8_t> Bytes() const;
  void SetCapacity(size_t capacity);
  int SeekCount() const;

 private:
  mutable std::mutex lock_;
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  size_t capacity_;
  int seeks_ = 0;
};

}  // namespace record
