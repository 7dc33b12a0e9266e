#pragma once
// The file system as retention sees it: a small seam, so tests run thirty
// days of recordings of many cameras on a fake in memory (with its own
// clock, locks and disk size) and the real one runs on the disk.
//
// Threads: the retention thread calls it; the window thread may call
// ReadText/ReplaceText for the keep list. Implementations are thread-safe.
#include <cstdint>
#include <string>
#include <vector>

#include "os/disk.h"

namespace node {

class StorageFileSystem {
 public:
  using Entry = os::FolderEntry;
  virtual ~StorageFileSystem() = default;
  // The entries directly in `folder`, with sizes and modification times.
  virtual bool List(const std::string& folder, std::vector<Entry>* entries) = 0;
  // Removes a file, or a folder when it is empty.
  virtual bool Remove(const std::string& path) = 0;
  // Another program holds the file (a player, a copy, a backup).
  virtual bool IsLocked(const std::string& path) = 0;
  virtual bool Space(const std::string& path, uint64_t* free, uint64_t* capacity) = 0;
  // A small text file whole; false when missing, unreadable or over `limit`
  // bytes (`exists` tells a missing one from the others).
  virtual bool ReadText(const std::string& path, size_t limit, std::string* text, bool* exists) = 0;
  // Replaces a small text file as one step.
  virtual bool ReplaceText(const std::string& path, const std::string& text) = 0;
};

// The disk, through os/disk.h.
class DiskStorage : public StorageFileSystem {
 public:
  bool List(const std::string& folder, std::vector<Entry>* entries) override;
  bool Remove(const std::string& path) override;
  bool IsLocked(const std::string& path) override;
  bool Space(const std::string& path, uint64_t* free, uint64_t* capacity) override;
  bool ReadText(const std::string& path, size_t limit, std::string* text, bool* exists) override;
  bool ReplaceText(const std::string& path, const std::string& text) override;
};

}  // namespace node
