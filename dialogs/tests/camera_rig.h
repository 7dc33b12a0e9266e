#pragma once
// Test support for the dialogs' in-process tests under Wine: halyard-sim with
// one camera, the hosting client's threads, and a real node whose posted
// messages and timers arrive through a hidden window on the test's thread,
// as they do in a camera view. Also: pumping messages, and a settings file
// in a folder of its own that the IniHandler reads.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hosting/hosting_service.h"
#include "hosting/tests/fakes.h"
#include "net/camera_setup_info.h"
#include "node/link/node_window.h"
#include "os/win32/tests/win32_test_rig.h"
#include "settings/win32/ini_handler.h"
#include "world.h"

namespace dialogs::testing {

using win32::testing::ModalDriver;  // with a step: how a test drives a modal dialog
using win32::testing::PumpFor;
using win32::testing::PumpUntil;

// Records what IniHandler::ShowMessage would show.
class RecordedMessages : public settings::MessagePresenter {
 public:
  RecordedMessages();
  ~RecordedMessages() override;
  void Present(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;

 private:
  settings::MessagePresenter* previous_;
};

// A settings file (UTF-16LE with BOM) with the given contents, given to the
// IniHandler for the life of the object.
class SettingsFile {
 public:
  explicit SettingsFile(const std::string& utf8_contents);
  ~SettingsFile();

 private:
  std::wstring dir_, path_;
};

class CameraRig {
 public:
  // The camera starts with `record` as its configuration when given.
  explicit CameraRig(const net::CameraSetupInfo* record = nullptr);
  ~CameraRig();

  // The node connects to the camera; true once the camera identified itself
  // and its record arrived.
  bool Connect();
  node::CNodeWindow& node() { return *node_; }
  HWND window() const { return window_; }
  sim::World& world() { return *world_; }
  sim::CameraServer& camera();
  // Waits (pumping) until the simulator has received a request whose log
  // line contains `line`.
  bool Received(const std::string& line, int ms = 3000);
  // How many RequestCameraSetupInfo the camera has received.
  int SetupRequests();
  // The body of the next RequestCameraSetupInfo, the one after `seen` of them.
  bool NextSetupRequest(int seen, std::vector<uint8_t>* body, int ms = 3000);

 private:
  class Poster;
  class Timers;
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  std::unique_ptr<sim::World> world_;
  std::unique_ptr<Poster> poster_;
  std::unique_ptr<Timers> timers_;
  hosting::testing::FakeMessages messages_;
  std::unique_ptr<hosting::HostEventQueue> events_;
  std::unique_ptr<hosting::HostingService> hosting_;
  std::unique_ptr<node::CNodeWindow> node_;
  HWND window_ = nullptr;
};

}  // namespace dialogs::testing
