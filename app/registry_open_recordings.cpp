#include "app/registry_open_recordings.h"

#include "os/win32/text.h"
#include "present/debug_log.h"
#include "settings/registry_key.h"

namespace app {

void RegistryOpenRecordingList::Add(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  settings::RegistryKey key;
  if (!key.OpenOrCreate(HKEY_CURRENT_USER, key_path_) || !key.SetDword(path, 1))
    DebugLog("Open recordings: could not list %s; a crash would leave it unrepaired\n", path.c_str());
}

void RegistryOpenRecordingList::Remove(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  settings::RegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, key_path_)) key.DeleteValue(path);
}

std::vector<std::string> RegistryOpenRecordingList::Paths() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<std::string> paths;
  settings::RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, key_path_)) return paths;
  std::wstring name(32768, L'\0');  // the longest value name the registry allows, and its end
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG result = RegEnumValueW(key.get(), index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) continue;
    paths.push_back(win32::Narrow(std::wstring(name.data(), length)));
  }
  return paths;
}

}  // namespace app
