#pragma once
// What keeping a folder of recordings within its limits asks of the file
// system: a folder's entries with their sizes and times in one listing, the
// disk's free space, whether another program holds a file, a small file
// replaced whole, folders made and removed. UTF-8 paths, as everywhere.
#include <cstdint>
#include <string>
#include <vector>

namespace os {

struct FolderEntry {
  std::string name;       // within the folder
  bool folder = false;
  uint64_t size = 0;      // bytes; 0 for a folder
  int64_t modified = 0;   // seconds since 1970 UTC
};
// The entries directly in `folder` (not "." and ".."); false when it cannot
// be read. One call per folder, not one per file, where the platform allows.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries);

// The bytes free to this user and the disk's size, of the disk holding `path`.
bool DiskSpace(const std::string& path, uint64_t* free, uint64_t* capacity);

// Whether another program (or another handle of this one) holds the file:
// open without sharing it (Windows), or under a lock (elsewhere). False for
// a file nobody holds, and for one that does not exist.
bool FileHeldElsewhere(const std::string& path);

// Replaces `path` with `text` as one step: a reader sees the old file or
// the new one, never a part (written beside it, then renamed over it).
bool ReplaceFileWith(const std::string& path, const std::string& text);

// Makes the folder and those above it; true when it exists afterwards.
bool MakeFolders(const std::string& folder);
// Removes a folder only when it is empty.
bool RemoveEmptyFolder(const std::string& folder);

}  // namespace os
