#pragma once
// Support of the in-process window tests of the viewer's shell: the settings
// store initialised on a file of the test's own with its message boxes
// recorded, a registry of the test's own, the message pump, and a driver
// that acts on modal windows (dialogs, property sheets, message boxes) from
// inside their own modal loops.
#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "os/clock.h"
#include "os/win32/text.h"
#include "settings/ini_handler.h"
#include "settings/tests/registry_sandbox.h"
#include "settings/tests/settings_files.h"

namespace shell_testing {

// Every message box text the settings store would have shown.
class RecordingPresenter : public settings::MessagePresenter {
 public:
  void Present(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(text);
  }
  std::vector<std::string> shown() {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }
  std::string last() {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_.empty() ? "" : shown_.back();
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> shown_;
};

// The settings file (absent unless a test writes it: the built-in texts),
// the recorded messages and the registry of one test.
class ShellSandbox {
 public:
  ShellSandbox() {
    settings::IniHandler& ini = settings::IniHandler::Instance();
    ini.Initialise(folder.File("Halyard.ini"));
    previous_ = ini.SetPresenter(&messages);
  }
  ~ShellSandbox() {
    settings::IniHandler& ini = settings::IniHandler::Instance();
    ini.SetPresenter(previous_);
    ini.Shutdown();
  }
  ShellSandbox(const ShellSandbox&) = delete;
  ShellSandbox& operator=(const ShellSandbox&) = delete;

  settings::testing::TempFolder folder;
  settings::testing::RegistrySandbox registry;
  RecordingPresenter messages;

 private:
  settings::MessagePresenter* previous_ = nullptr;
};

inline void PumpFor(int ms) {
  const uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(ms);
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (os::MonotonicMs() < end);
}

template <typename F>
bool PumpUntil(F done, int ms = 5000) {
  const uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(ms);
  while (!done()) {
    if (os::MonotonicMs() >= end) return false;
    PumpFor(10);
  }
  return true;
}

inline std::string WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return win32::Narrow(text);
}

inline void SetText(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, win32::Widen(text).c_str()); }

inline void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Clicks a check box the way the user does: its state flips, then the
// dialog hears of it.
inline void Toggle(HWND dialog, int id) {
  CheckDlgButton(dialog, id, IsDlgButtonChecked(dialog, id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  Click(dialog, id);
}

inline void Choose(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// Acts on the modal windows this thread opens, in order: each action runs
// on the first dialog-class window (dialog, property sheet or message box)
// that appears after the previous one was handled. A thread timer drives it,
// so the action runs inside the modal loop, on the window's own thread.
class ModalDriver {
 public:
  using Action = std::function<void(HWND)>;

  // `owned_only`: only windows whose owner they disable (modal ones); a
  // main window opening under the driver, or a modeless window of it, is not
  // what it waits for.
  explicit ModalDriver(bool owned_only = false) : owned_only_(owned_only) {
    instance_ = this;
    Remember();
    timer_ = SetTimer(nullptr, 0, 20, &ModalDriver::Tick);
  }
  ~ModalDriver() {
    KillTimer(nullptr, timer_);
    instance_ = nullptr;
  }
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  void Then(Action action) { actions_.push_back(std::move(action)); }
  int handled() const { return handled_; }
  bool done() const { return actions_.empty(); }

 private:
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM out) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd))
      reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
    return TRUE;
  }
  std::vector<HWND> Dialogs() const {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  void Remember() {
    for (HWND h : Dialogs()) known_.insert(h);
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalDriver* self = instance_;
    if (!self || self->busy_ || self->actions_.empty()) return;
    for (HWND h : self->Dialogs()) {
      if (self->known_.count(h)) continue;
      // Modal windows disable their owner; a modeless one beside it is not waited for.
      HWND owner = GetWindow(h, GW_OWNER);
      if (self->owned_only_ && (!owner || IsWindowEnabled(owner))) continue;
      self->known_.insert(h);
      Action action = std::move(self->actions_.front());
      self->actions_.pop_front();
      ++self->handled_;
      self->busy_ = true;
      action(h);
      self->busy_ = false;
      return;
    }
  }

  static inline ModalDriver* instance_ = nullptr;
  UINT_PTR timer_ = 0;
  std::deque<Action> actions_;
  std::set<HWND> known_;
  int handled_ = 0;
  bool busy_ = false;
  bool owned_only_ = false;
};

}  // namespace shell_testing
