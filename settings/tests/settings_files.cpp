#include "settings/tests/settings_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace settings::testing {

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  wchar_t name[64];
  swprintf(name, 64, L"halyard-settings-%lu-%d", GetCurrentProcessId(), ++counter);
  dir_ = std::wstring(base) + name;
  CreateDirectoryW(dir_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((dir_ + L"\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") DeleteFileW((dir_ + L"\\" + name).c_str());
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  RemoveDirectoryW(dir_.c_str());
}

void WriteAnsiFile(const std::string& path, const std::string& text) {
  std::ofstream out(std::filesystem::path(win32::Widen(path)), std::ios::binary);
  out << text;
}

void WriteUnicodeFile(const std::string& path, const std::string& utf8) {
  std::wstring wide = win32::Widen(utf8);
  std::ofstream out(std::filesystem::path(win32::Widen(path)), std::ios::binary);
  out.write("\xFF\xFE", 2);
  out.write(reinterpret_cast<const char*>(wide.data()), static_cast<std::streamsize>(wide.size() * sizeof(wchar_t)));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(std::filesystem::path(win32::Widen(path)), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace settings::testing
