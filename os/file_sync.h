#pragma once
// What a recording needs of the file system beyond the C runtime: data that
// survives a power cut, a file cut back to a length, and a lock that tells
// two programs apart when both would work on the same recording.
#include <cstdint>
#include <cstdio>

namespace os {

// Writes the file's data through to the disk (FlushFileBuffers, fsync). Safe
// while another thread writes to the same unbuffered stream.
bool SyncFile(std::FILE* file);
// Makes a file's creation in the folder holding `path` survive a power cut
// (POSIX needs the folder synced; NTFS journals it, so Windows does nothing).
bool SyncFolderOf(const char* path);
// Sets the file's length to `size` bytes.
bool TruncateFile(std::FILE* file, uint64_t size);
enum class FileLock {
  kTaken,          // this handle holds it until the file closes
  kHeldElsewhere,  // another open handle, in this or another process, holds it
  kUnsupported,    // the file system keeps no locks
};
// Takes an exclusive lock on the file without waiting.
FileLock TryLockFile(std::FILE* file);

}  // namespace os
