#include "os/disk.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "os/file.h"
#include "os/file_sync.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace os {

#ifdef _WIN32

namespace {
std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// FILETIME counts 100 ns steps from 1601.
int64_t SecondsOf(const FILETIME& time) {
  const uint64_t ticks = (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000000u) - 11644473600LL;
}
}  // namespace

bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
  entries->clear();
  const std::wstring pattern = PathOf(folder).wstring() + L"\\*";
  WIN32_FIND_DATAW found;
  // The find data carries each entry's size and time: no call per file.
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry entry;
    try {
      entry.name = Utf8Of(std::filesystem::path(name));
    } catch (const std::exception&) {
      continue;  // not valid Unicode: none of ours
    }
    entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = entry.folder ? 0 : (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.modified = SecondsOf(found.ftLastWriteTime);
    entries->push_back(std::move(entry));
  } while (FindNextFileW(find, &found));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  return complete;
}

bool FileHeldElsewhere(const std::string& path) {
  // Opening without sharing fails while any other handle has the file open.
  HANDLE file = CreateFileW(PathOf(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

namespace {
bool RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExW(PathOf(from).c_str(), PathOf(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
}  // namespace

#else

bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
  entries->clear();
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  const int fd = dirfd(dir);
  while (const dirent* d = readdir(dir)) {
    const std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (fstatat(fd, d->d_name, &st, 0) != 0) continue;  // gone meanwhile
    FolderEntry entry;
    entry.name = name;
    entry.folder = S_ISDIR(st.st_mode);
    if (!entry.folder && !S_ISREG(st.st_mode)) continue;
    entry.size = entry.folder ? 0 : static_cast<uint64_t>(st.st_size);
    entry.modified = static_cast<int64_t>(st.st_mtime);
    entries->push_back(std::move(entry));
  }
  closedir(dir);
  return true;
}

bool FileHeldElsewhere(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Both kinds of lock a program may hold: flock (this program's own) and fcntl.
  bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  if (!held) {
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  }
  close(fd);
  return held;
}

namespace {
bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
}  // namespace

#endif

bool DiskSpace(const std::string& path, uint64_t* free, uint64_t* capacity) {
  std::error_code error;
  const std::filesystem::space_info info = std::filesystem::space(PathOf(path), error);
  if (error) return false;
  *free = static_cast<uint64_t>(info.available);
  *capacity = static_cast<uint64_t>(info.capacity);
  return true;
}

bool ReplaceFileWith(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new";
  std::FILE* file = OpenFile(temporary, "wb");
  if (!file) return false;
  bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fflush(file) == 0 && ok;
  ok = SyncFile(file) && ok;
  ok = std::fclose(file) == 0 && ok;
  if (ok) ok = RenameOver(temporary, path);
  if (!ok) RemoveFile(temporary);
  return ok;
}

bool MakeFolders(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(PathOf(folder), error);
  return std::filesystem::is_directory(PathOf(folder), error);
}

bool RemoveEmptyFolder(const std::string& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(PathOf(folder), error)) return false;
  return std::filesystem::remove(PathOf(folder), error) && !error;
}

}  // namespace os
