#pragma once
// Gives the test process a registry of its own: HKEY_CURRENT_USER is
// redirected to a fresh key for the sandbox's lifetime, so tests of values
// the viewer keeps (window position, proxy, saved logins) start from a
// first run and never meet another process's values. Removed afterwards.
#include <windows.h>

#include <string>

namespace settings::testing {

class RegistrySandbox {
 public:
  RegistrySandbox() {
    static int counter = 0;
    path_ = L"Software\\HalyardTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    overridden_ = key_ && RegOverridePredefKey(HKEY_CURRENT_USER, key_) == ERROR_SUCCESS;
  }
  ~RegistrySandbox() {
    if (overridden_) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (key_) RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  bool active() const { return overridden_; }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
  bool overridden_ = false;
};

}  // namespace settings::testing
