#include "skin/win32/win32_file_source.h"

#include <algorithm>

#include "os/win32/text.h"

namespace skin {

bool Win32FileSource::Open(const std::string& path) {
  Close();
  file_.Reset(CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_.valid()) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) {
    Close();
    return false;
  }
  size_ = static_cast<uint64_t>(size.QuadPart);
  return true;
}

void Win32FileSource::Close() {
  file_.Reset();
  size_ = 0;
}

size_t Win32FileSource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (!file_.valid() || offset >= size_) return 0;
  n = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  size_t done = 0;
  while (done < n) {
    OVERLAPPED at{};
    uint64_t position = offset + done;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file_.get(), static_cast<char*>(out) + done, chunk, &got, &at) || got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace skin
