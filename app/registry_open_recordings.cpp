#include "app/registry_open_recordings.h"

#include <algorithm>
#include <utility>

#include "os/debug_log.h"
#include "os/win32/text.h"
#include "record/startup_repair.h"
#include "settings/win32/registry_key.h"

namespace app {
namespace {

// The names of the key's values with their DWORD numbers (0 for another kind).
std::vector<std::pair<std::string, uint32_t>> NamedNumbers(const std::string& key_path) {
  std::vector<std::pair<std::string, uint32_t>> values;
  settings::RegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, key_path)) return values;
  std::wstring name(32768, L'\0');  // the longest value name the registry allows, and its end
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    DWORD type = 0, number = 0, size = sizeof number;
    LONG result = RegEnumValueW(key.get(), index, &name[0], &length, nullptr, &type,
                                reinterpret_cast<BYTE*>(&number), &size);
    if (result == ERROR_MORE_DATA) {  // a value too big for a number: its name alone
      length = static_cast<DWORD>(name.size());
      result = RegEnumValueW(key.get(), index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
      number = 0;
    }
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) continue;
    values.emplace_back(win32::Narrow(std::wstring(name.data(), length)), type == REG_DWORD ? number : 0);
  }
  return values;
}

}  // namespace

void RegistryOpenRecordingList::Add(const std::string& path) {
  std::lock_guard<std::mutex> hold(lock_);
  RememberFolderOf(path);
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
  for (auto& [name, number] : NamedNumbers(key_path_)) paths.push_back(std::move(name));
  return paths;
}

std::vector<std::string> RegistryOpenRecordingList::Folders() const {
  std::vector<std::pair<std::string, uint32_t>> values = NamedNumbers(folders_key_path_);
  std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  std::vector<std::string> folders;
  for (auto& [name, number] : values) folders.push_back(std::move(name));
  return folders;
}

void RegistryOpenRecordingList::RememberFolderOf(const std::string& path) {
  const std::vector<std::string> before = Folders();
  const std::vector<std::string> after = record::RememberFolder(before, record::FolderOf(path));
  if (after == before) return;
  settings::RegistryKey key;
  if (!key.OpenOrCreate(HKEY_CURRENT_USER, folders_key_path_)) return;
  for (const std::string& folder : before)
    if (std::find(after.begin(), after.end(), folder) == after.end()) key.DeleteValue(folder);
  for (size_t i = 0; i < after.size(); ++i) key.SetDword(after[i], static_cast<uint32_t>(i + 1));
}

}  // namespace app
