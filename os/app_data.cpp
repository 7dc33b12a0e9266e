#include "os/app_data.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#endif

namespace os {

#ifdef _WIN32
std::string LocalAppDataDirectory() {
  wchar_t path[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
    return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path, -1, result.data(), n, nullptr, nullptr);
  result.resize(static_cast<size_t>(n - 1));
  if (result.back() != '\\') result += '\\';
  return result;
}
#else
std::string LocalAppDataDirectory() {
  std::string result;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    result = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    result = std::string(home) + "/.local/share";
  } else {
    return std::string();
  }
  if (result.back() != '/') result += '/';
  return result;
}
#endif

}  // namespace os
