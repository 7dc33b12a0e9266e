#pragma once
// The recordings the user marked "Keep": retention never deletes them. The
// list lives beside the recordings, in "halyard-keep.txt" at the root, so it
// goes where the footage goes (a copied or moved root keeps its marks):
//   halyard-keep 1
//   CAM-1/2026-11-01/CAM-1_20261101_120000.mp4
// one path per line, relative to the root, '/' between folders.
//
// Threads: KeepList is shared by the window thread (marking) and the
// retention thread (asking); one small lock, never held over the disk.
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace node {

class StorageFileSystem;

constexpr char kKeepFileName[] = "halyard-keep.txt";

struct KeepFileLimits {
  static constexpr size_t kMaxBytes = 4u << 20;
  static constexpr size_t kMaxLine = 1024;
  static constexpr size_t kMaxEntries = 100000;
};

// A path as the list holds it: relative, '/' between folders, no empty,
// "." or ".." part; empty when `path` cannot be one.
std::string KeepKey(std::string_view path);
// False, with a reason, for text that is not a whole keep list (its first
// line, a line past its length, more than the bounds allow, a path that
// leaves the root). A list that cannot be read keeps everything.
bool ParseKeepList(std::string_view text, std::set<std::string>* paths, std::string* error = nullptr);
std::string FormatKeepList(const std::set<std::string>& paths);

class KeepList {
 public:
  // Reads the root's list. A list that exists but cannot be read (damaged,
  // too large) makes Broken() true: then nothing counts as deletable.
  void Load(StorageFileSystem& fs, const std::string& root);
  // `relative`: the recording's path from the root. Saves the list at once;
  // false when it could not be saved (the mark is kept in memory).
  bool Set(StorageFileSystem& fs, const std::string& root, const std::string& relative, bool keep);
  bool IsKept(const std::string& relative) const;
  bool Broken() const;
  std::vector<std::string> Paths() const;

 private:
  mutable std::mutex lock_;
  std::set<std::string> paths_;
  bool broken_ = false;
  std::mutex save_lock_;  // one save at a time, in the order of the marks
};

}  // namespace node
