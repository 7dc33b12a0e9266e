#pragma once
// Support of the in-process window tests of the viewer's shell: the settings
// store initialised on a file of the test's own with its message boxes
// recorded and a registry of the test's own; the pump and the modal driver
// come from the shared window-test rig.
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "os/win32/tests/win32_test_rig.h"
#include "settings/tests/registry_sandbox.h"
#include "settings/tests/settings_files.h"
#include "settings/win32/ini_handler.h"

namespace dialogs::testing {

// Every message box text the settings store would have shown.
class RecordingPresenter : public settings::MessagePresenter {
 public:
  void Present(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(text);
    if (std::this_thread::get_id() != thread_) off_thread_ = true;
  }
  // Whether a box was shown off the thread that made the presenter (the
  // window's thread): message boxes belong to the window's thread.
  bool shown_off_thread() {
    std::lock_guard<std::mutex> lock(mutex_);
    return off_thread_;
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
  const std::thread::id thread_ = std::this_thread::get_id();
  bool off_thread_ = false;
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

// The shared window-test rig, under the names these tests know.
using win32::testing::Choose;
using win32::testing::Click;
using win32::testing::ModalDriver;
using win32::testing::PumpFor;
using win32::testing::PumpUntil;
using win32::testing::SetText;
using win32::testing::Toggle;
using win32::testing::WindowRect;
using win32::testing::WindowText;

}  // namespace dialogs::testing
