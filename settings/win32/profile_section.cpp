#include "settings/win32/profile_section.h"

#include <windows.h>

#include <algorithm>

#include "os/win32/handles.h"
#include "os/win32/text.h"

namespace settings {
namespace {

constexpr DWORD kFirstTryChars = 2048;

// Size of a file in bytes, 0 when it cannot be read.
unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

std::string ReadProfileSection(const std::wstring& path, const std::string& section) {
  std::wstring wsection = win32::Widen(section);
  // The lookup answers size - 2 when the section did not fit. A section never
  // needs more characters than its file has bytes, which bounds the growth
  // even if the file changes under us.
  unsigned long long limit = std::max<unsigned long long>(kFirstTryChars, FileSize(path) + 64);
  std::wstring block(kFirstTryChars, L'\0');
  DWORD n;
  for (;;) {
    n = GetPrivateProfileSectionW(wsection.c_str(), block.data(), static_cast<DWORD>(block.size()), path.c_str());
    if (n + 2 < block.size() || block.size() >= limit) break;
    block.assign(block.size() * 2, L'\0');
  }
  return win32::Narrow(std::wstring_view(block.data(), std::min<size_t>(n, block.size())));
}

void CreateUnicodeProfile(const std::wstring& path) {
  win32::UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return;
  static constexpr unsigned char kBom[] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file.get(), kBom, sizeof kBom, &written, nullptr);
}

std::vector<SectionEntry> ReadSectionEntries(const std::string& path, const std::string& section) {
  return SplitSection(ReadProfileSection(win32::Widen(path), section));
}

}  // namespace settings
