#include "settings/win32/registry_key.h"

#include <utility>

#include "os/win32/text.h"

namespace settings {

using win32::Narrow;
using win32::Widen;

std::string ServerKeyPath(const std::string& server_name) {
  return std::string(kRegistryKeyPath) + "\\" + server_name;
}

bool IsServerKeyName(const std::string& server_name) {
  return !server_name.empty() && server_name.find('\\') == std::string::npos &&
         Widen(server_name).size() <= RegistryKey::kMaxStringChars;
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = std::exchange(other.key_, nullptr);
  }
  return *this;
}

bool RegistryKey::Open(HKEY base, const std::string& subkey) {
  Close();
  if (RegOpenKeyExW(base, Widen(subkey).c_str(), 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS) key_ = nullptr;
  return key_ != nullptr;
}

bool RegistryKey::Create(HKEY base, const std::string& subkey) {
  Close();
  DWORD disposition = 0;
  if (RegCreateKeyExW(base, Widen(subkey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key_, &disposition) != ERROR_SUCCESS) {
    key_ = nullptr;
  }
  return key_ != nullptr;
}

bool RegistryKey::OpenOrCreate(HKEY base, const std::string& subkey) {
  return Open(base, subkey) || Create(base, subkey);
}

bool RegistryKey::SetDword(const std::string& name, uint32_t value) {
  if (!key_) return false;
  DWORD data = value;
  if (RegSetValueExW(key_, Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegFlushKey(key_);
  return true;
}

bool RegistryKey::SetString(const std::string& name, const std::string& text) {
  if (!key_) return false;
  // Stored with its terminating zero, as REG_SZ requires; values written
  // without one by earlier versions still read correctly (see QueryString).
  std::wstring wide = Widen(text);
  DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  if (RegSetValueExW(key_, Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegFlushKey(key_);
  return true;
}

bool RegistryKey::SetBytes(const std::string& name, const void* bytes, uint32_t length) {
  if (!key_) return false;
  if (RegSetValueExW(key_, Widen(name).c_str(), 0, REG_BINARY, static_cast<const BYTE*>(bytes), length) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegFlushKey(key_);
  return true;
}

bool RegistryKey::QueryDword(const std::string& name, uint32_t& value) {
  value = 0;
  if (!key_) return false;
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExW(key_, Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data) {
    return false;
  }
  value = data;
  return true;
}

bool RegistryKey::QueryString(const std::string& name, std::string& text) {
  text.clear();
  if (!key_) return false;
  // One spare character beyond the limit, zero-filled, so a value stored
  // without its terminator still ends inside the buffer.
  wchar_t buf[kMaxStringChars + 1] = {};
  DWORD type = 0;
  DWORD size = sizeof buf;
  if (RegQueryValueExW(key_, Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  size_t chars = size / sizeof(wchar_t);
  if (chars > kMaxStringChars) {
    // Full buffer: only acceptable when the last character is the terminator.
    if (buf[kMaxStringChars] != L'\0') return false;
    chars = kMaxStringChars;
  }
  std::wstring_view value(buf, chars);
  size_t end = value.find(L'\0');
  text = Narrow(value.substr(0, end));
  return true;
}

bool RegistryKey::QueryBytes(const std::string& name, void* buffer, uint32_t& length) {
  if (!key_) return false;
  DWORD size = length;
  if (RegQueryValueExW(key_, Widen(name).c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  length = size;
  return true;
}

bool RegistryKey::DeleteValue(const std::string& name) {
  return key_ && RegDeleteValueW(key_, Widen(name).c_str()) == ERROR_SUCCESS;
}

std::vector<std::pair<std::string, std::string>> RegistryKey::StringValues(size_t limit) {
  std::vector<std::pair<std::string, std::string>> values;
  for (DWORD i = 0; key_ && values.size() < limit; ++i) {
    wchar_t name[512];
    DWORD length = ARRAYSIZE(name), type = 0;
    const LONG result = RegEnumValueW(key_, i, name, &length, nullptr, &type, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    const std::string utf8 = Narrow(std::wstring_view(name, length));
    std::string text;
    if (QueryString(utf8, text)) values.emplace_back(utf8, text);
  }
  return values;
}

bool RegistryKey::IsEmpty() const {
  DWORD subkeys = 0, values = 0;
  return key_ && RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                  nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

bool RegistryKey::DeleteKey(const std::string& subkey) {
  return key_ && RegDeleteKeyW(key_, Widen(subkey).c_str()) == ERROR_SUCCESS;
}

bool RegistryKey::Save(const std::string& file) {
  return key_ && RegSaveKeyW(key_, Widen(file).c_str(), nullptr) == ERROR_SUCCESS;
}

bool RegistryKey::Restore(const std::string& file, DWORD flags) {
  return key_ && RegRestoreKeyW(key_, Widen(file).c_str(), flags) == ERROR_SUCCESS;
}

bool RegistryKey::Load(const std::string& subkey, const std::string& file) {
  return key_ && RegLoadKeyW(key_, Widen(subkey).c_str(), Widen(file).c_str()) == ERROR_SUCCESS;
}

void RegistryKey::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

}  // namespace settings
