#include "os/file.h"

#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace os {

namespace {
#ifdef _WIN32
std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}
#endif

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
}  // namespace

std::filesystem::path PathOf(const std::string& utf8) {
#ifdef _WIN32
  return std::filesystem::path(Widen(utf8));
#else
  return std::filesystem::path(utf8);
#endif
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  return _wfopen(Widen(path).c_str(), Widen(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* CreateNewFile(const std::string& path) {
#ifdef _WIN32
  const int fd = _wopen(Widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  std::FILE* file = fd < 0 ? nullptr : _wfdopen(fd, L"wb");
  if (fd >= 0 && !file) _close(fd);
#else
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (fd >= 0 && !file) close(fd);
#endif
  return file;
}

bool SeekFile(std::FILE* file, uint64_t position) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(position), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(PathOf(path), error);
  return error ? 0 : static_cast<uint64_t>(size);
}

bool RemoveFile(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(PathOf(path), error);
  return !error;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(PathOf(path), error);
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(PathOf(path), error);
  if (error) return path;
  try {
    return Utf8Of(absolute.lexically_normal());
  } catch (const std::exception&) {
    return path;
  }
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(PathOf(folder), error), end; !error && it != end; it.increment(error)) {
    std::error_code kindError;
    if (!it->is_regular_file(kindError)) continue;
    try {
      files.push_back(Utf8Of(it->path()));
    } catch (const std::exception&) {
      // a name that is not valid Unicode cannot be one of ours
    }
  }
  return files;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, uint64_t limit) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return false;
  bytes->clear();
  // One allocation of the expected size: growing by doubling copied and
  // first-touched twice the file, a fifth of decoding a large stream.
  const uint64_t expected = FileSize(path);
  if (expected <= limit) bytes->reserve(static_cast<size_t>(expected));
  uint8_t chunk[65536];
  bool ok = true;
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    if (bytes->size() + n > limit) {
      ok = false;
      break;
    }
    bytes->insert(bytes->end(), chunk, chunk + n);
  }
  ok = ok && !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t length) {
  std::FILE* file = OpenFile(path, "wb");
  if (!file) return false;
  bool ok = length == 0 || std::fwrite(data, 1, length, file) == length;
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

std::string TempDirectory() {
#ifdef _WIN32
  // Wide, so a profile whose name the ANSI code page cannot spell works.
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, path);
  if (n == 0 || n > MAX_PATH) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), utf8.data(), bytes, nullptr, nullptr);
  return utf8;
#else
  const char* dir = std::getenv("TMPDIR");
  std::string result = (dir && *dir) ? dir : "/tmp";
  if (result.back() != '/') result += '/';
  return result;
#endif
}

std::string SafeFileName(std::string text, const std::string& when_empty) {
  static const std::string kRefused = "\\/:*?\"<>|";
  for (char& c : text)
    if (kRefused.find(c) != std::string::npos || static_cast<unsigned char>(c) < 32) c = '_';
  return text.empty() ? when_empty : text;
}

}  // namespace os
