#include "os/file_sync.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace os {

#ifdef _WIN32

namespace {
HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }
}  // namespace

bool SyncFile(std::FILE* file) {
  const HANDLE handle = HandleOf(file);
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

bool SyncFolderOf(const char*) { return true; }

bool TruncateFile(std::FILE* file, uint64_t size) {
  const HANDLE handle = HandleOf(file);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILE_END_OF_FILE_INFO end = {};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  return SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end) != 0;
}

FileLock TryLockFile(std::FILE* file) {
  const HANDLE handle = HandleOf(file);
  if (handle == INVALID_HANDLE_VALUE) return FileLock::kUnsupported;
  // One byte far past any real end: locking it blocks no read or write of the
  // data, yet a second lock on it fails in every other handle.
  OVERLAPPED at = {};
  at.Offset = 0xFFFFFFFEu;
  at.OffsetHigh = 0x7FFFFFFFu;
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return FileLock::kTaken;
  return GetLastError() == ERROR_LOCK_VIOLATION ? FileLock::kHeldElsewhere : FileLock::kUnsupported;
}

#else

bool SyncFile(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool SyncFolderOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const std::string folder = slash ? std::string(path, slash == path ? 1 : size_t(slash - path)) : ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

bool TruncateFile(std::FILE* file, uint64_t size) {
  return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

FileLock TryLockFile(std::FILE* file) {
  if (flock(fileno(file), LOCK_EX | LOCK_NB) == 0) return FileLock::kTaken;
  return errno == EWOULDBLOCK ? FileLock::kHeldElsewhere : FileLock::kUnsupported;
}

#endif

}  // namespace os
