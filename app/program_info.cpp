#include "app/program_info.h"

#include <cstdio>
#include <vector>

#include "os/win32/text.h"

namespace app {

ProgramVersion ReadProgramVersion(HMODULE module) {
  ProgramVersion v;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));  // RT_VERSION
  if (!found) return v;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (!data || size == 0) return v;
  // VerQueryValue wants a copy it may write into.
  std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return v;
  v.major = LOBYTE(HIWORD(info->dwFileVersionMS));
  v.minor = LOBYTE(LOWORD(info->dwFileVersionMS));
  v.release = LOBYTE(HIWORD(info->dwFileVersionLS));
  v.build = LOBYTE(LOWORD(info->dwFileVersionLS));
  return v;
}

std::string FormatVersion(const ProgramVersion& v) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", v.major, v.minor, v.release, v.build);
  return text;
}

std::string ProgramDirectory(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return win32::Narrow(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

}  // namespace app
