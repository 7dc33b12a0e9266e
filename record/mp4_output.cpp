#include "record/mp4_output.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "os/file_sync.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace record {

namespace {

#ifdef _WIN32
// Paths are UTF-8 inside the program; the C runtime's narrow fopen would read
// them in the ANSI code page, so convert to UTF-16 for _wfopen. Invalid
// sequences become U+FFFD and so make the open fail rather than hit another file.
std::wstring Utf8ToWide(const std::string& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    bool ok = extra >= 0 && i + extra < s.size() + (extra == 0 ? 1 : 0);
    for (int k = 1; ok && k <= extra; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      ok = (d >> 6) == 2;
      cp = (cp << 6) | (d & 0x3F);
    }
    if (!ok || cp > 0x10FFFF) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
    i += extra + 1;
  }
  return out;
}
#endif

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  return _wfopen(Utf8ToWide(path).c_str(), Utf8ToWide(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::filesystem::path PathOf(const std::string& utf8) {
#ifdef _WIN32
  return std::filesystem::path(Utf8ToWide(utf8));
#else
  return std::filesystem::path(utf8);
#endif
}

}  // namespace

std::unique_ptr<Mp4FileOutput> Mp4FileOutput::Create(const std::string& path) {
  std::FILE* file = OpenFile(path, "wb");
  if (!file) return nullptr;
  // Unbuffered: every write is a whole sample or table, and a full disk must
  // fail the write of the sample it hits, not a later flush. A process that
  // is killed loses nothing that a write has returned.
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<Mp4FileOutput>(new Mp4FileOutput(file, path));
}

std::unique_ptr<Mp4FileOutput> Mp4FileOutput::CreateNew(const std::string& path) {
#ifdef _WIN32
  const int fd = _wopen(Utf8ToWide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  std::FILE* file = fd < 0 ? nullptr : _wfdopen(fd, L"wb");
  if (fd >= 0 && !file) _close(fd);
#else
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (fd >= 0 && !file) close(fd);
#endif
  if (!file) return nullptr;
  std::setvbuf(file, nullptr, _IONBF, 0);
  os::SyncFolderOf(path.c_str());
  return std::unique_ptr<Mp4FileOutput>(new Mp4FileOutput(file, path));
}

std::unique_ptr<Mp4FileOutput> Mp4FileOutput::OpenExisting(const std::string& path, bool writable) {
  std::FILE* file = OpenFile(path, writable ? "r+b" : "rb");
  if (!file) return nullptr;
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<Mp4FileOutput>(new Mp4FileOutput(file, path));
}

Mp4FileOutput::~Mp4FileOutput() { std::fclose(m_file); }

bool Mp4FileOutput::Write(const uint8_t* data, size_t length) {
  if (length == 0) return true;
  return std::fwrite(data, 1, length, m_file) == length;
}

bool Mp4FileOutput::Seek(uint64_t position) {
  // Recordings reach up to 4 GiB, past what a 32-bit long holds.
#ifdef _WIN32
  return _fseeki64(m_file, static_cast<__int64>(position), SEEK_SET) == 0;
#else
  return fseeko(m_file, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool Mp4FileOutput::Sync() { return os::SyncFile(m_file); }

uint64_t Mp4FileOutput::Size() const {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(PathOf(m_path), error);
  return error ? 0 : static_cast<uint64_t>(size);
}

bool Mp4FileOutput::Read(uint64_t position, uint8_t* out, size_t length) {
  if (!Seek(position)) return false;
  return length == 0 || std::fread(out, 1, length, m_file) == length;
}

bool Mp4FileOutput::Truncate(uint64_t size) { return os::TruncateFile(m_file, size); }

bool Mp4FileOutput::TryLock() { return os::TryLockFile(m_file) != os::FileLock::kHeldElsewhere; }

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
    const std::u8string text = absolute.lexically_normal().u8string();
    return std::string(text.begin(), text.end());
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
      const std::u8string name = it->path().u8string();
      files.emplace_back(name.begin(), name.end());
    } catch (const std::exception&) {
      // a name that is not valid Unicode cannot be one of our recordings
    }
  }
  return files;
}

uint64_t Mp4MemoryOutput::Size() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_bytes.size();
}

std::vector<uint8_t> Mp4MemoryOutput::Bytes() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_bytes;
}

void Mp4MemoryOutput::SetCapacity(size_t capacity) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_capacity = capacity;
}

int Mp4MemoryOutput::SeekCount() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_seeks;
}

bool Mp4MemoryOutput::Write(const uint8_t* data, size_t length) {
  std::lock_guard<std::mutex> lock(m_lock);
  const size_t room = m_position < m_capacity ? m_capacity - m_position : 0;
  const size_t n = std::min(room, length);
  if (m_position + n > m_bytes.size()) m_bytes.resize(m_position + n);
  std::copy(data, data + n, m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position));
  m_position += n;
  return n == length;
}

bool Mp4MemoryOutput::Seek(uint64_t position) {
  std::lock_guard<std::mutex> lock(m_lock);
  ++m_seeks;
  if (position > m_bytes.size()) return false;
  m_position = static_cast<size_t>(position);
  return true;
}

bool Mp4MemoryOutput::Read(uint64_t position, uint8_t* out, size_t length) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (position > m_bytes.size() || length > m_bytes.size() - position) return false;
  std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(position), length, out);
  return true;
}

bool Mp4MemoryOutput::Truncate(uint64_t size) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (size > m_bytes.size()) return false;
  m_bytes.resize(static_cast<size_t>(size));
  m_position = std::min(m_position, m_bytes.size());
  return true;
}

}  // namespace record
