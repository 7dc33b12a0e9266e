#include "dialogs/tests/camera_rig.h"

#include <cstdio>

#include "os/clock.h"
#include "os/win32/text.h"

namespace dialogs::testing {

RecordedMessages::RecordedMessages() : previous_(settings::IniHandler::Instance().SetPresenter(this)) {}
RecordedMessages::~RecordedMessages() { settings::IniHandler::Instance().SetPresenter(previous_); }

SettingsFile::SettingsFile(const std::string& utf8_contents) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  wchar_t name[MAX_PATH] = {};
  GetTempFileNameW(temp, L"hdl", 0, name);
  DeleteFileW(name);
  dir_ = name;
  CreateDirectoryW(dir_.c_str(), nullptr);
  path_ = dir_ + L"\\Halyard.ini";
  std::wstring text = win32::Widen(utf8_contents);
  FILE* f = _wfopen(path_.c_str(), L"wb");
  if (f) {
    const unsigned char bom[2] = {0xFF, 0xFE};
    std::fwrite(bom, 1, 2, f);
    for (wchar_t c : text) {
      const unsigned char pair[2] = {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>(c >> 8)};
      std::fwrite(pair, 1, 2, f);
    }
    std::fclose(f);
  }
  settings::IniHandler::Instance().Initialise(win32::Narrow(path_));
}

SettingsFile::~SettingsFile() {
  settings::IniHandler::Instance().Shutdown();
  DeleteFileW(path_.c_str());
  RemoveDirectoryW(dir_.c_str());
}

class CameraRig::Poster : public os::WindowPoster {
 public:
  bool Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override {
    return PostMessageW(reinterpret_cast<HWND>(window), message, wparam, lparam) != FALSE;
  }
};

class CameraRig::Timers : public os::WindowTimers {
 public:
  void SetTimer(os::WindowHandle window, uint32_t id, int interval_ms) override {
    ::SetTimer(reinterpret_cast<HWND>(window), id, static_cast<UINT>(interval_ms), nullptr);
  }
  void KillTimer(os::WindowHandle window, uint32_t id) override { ::KillTimer(reinterpret_cast<HWND>(window), id); }
};

LRESULT CALLBACK CameraRig::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* node = reinterpret_cast<node::CNodeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (node && (message == WM_TIMER || message >= WM_USER)) {
    node->HandleMessage(message, wparam, lparam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

CameraRig::CameraRig(const net::CameraSetupInfo* record)
    : poster_(std::make_unique<Poster>()), timers_(std::make_unique<Timers>()) {
  sim::WorldConfig config;
  config.media_dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
  std::string error;
  sim::ParseWorldOptions({"--hosting-port", "0", "--ddns-port", "0", "--user", "demo:demo", "--camera",
                          "CAM-1:0:test_176x144.m4v:voice"},
                         &config, &error);
  world_ = std::make_unique<sim::World>(config);
  world_->Start(&error);
  if (record) camera().SetSetupInfo(*record);

  WNDCLASSW cls = {};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"HalyardDialogTestNode";
  RegisterClassW(&cls);  // fails harmlessly when a previous rig registered it
  window_ = CreateWindowExW(0, cls.lpszClassName, L"camera view", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                            nullptr, cls.hInstance, nullptr);

  events_ = std::make_unique<hosting::HostEventQueue>(*poster_, reinterpret_cast<os::WindowHandle>(window_));
  hosting_ = std::make_unique<hosting::HostingService>(*events_, *poster_);
  hosting_->Start();
  node::NodeContext ctx;
  ctx.hosting = hosting_.get();
  ctx.events = events_.get();
  ctx.poster = poster_.get();
  ctx.timers = timers_.get();
  ctx.messages = &messages_;
  ctx.self = ctx.parent = ctx.main_window = reinterpret_cast<os::WindowHandle>(window_);
  ctx.index = 1;
  ctx.display_name = "Gate camera";
  node_ = std::make_unique<node::CNodeWindow>(ctx, nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(node_.get()));
  hosting_->AddNode(node_.get());
}

CameraRig::~CameraRig() {
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  node_->Destroy();
  hosting_->Stop();
  node_.reset();
  world_->Stop();
  DestroyWindow(window_);
}

sim::CameraServer& CameraRig::camera() { return *world_->camera("CAM-1"); }

bool CameraRig::Connect() {
  node_->SetAddress({"127.0.0.1", camera().port(), false, "", "demo", "demo"});
  return PumpUntil([&] { return node_->camera_id() == "CAM-1" && node_->setup_info_received(); }, 10000);
}

bool CameraRig::Received(const std::string& line, int ms) {
  return PumpUntil([&] { return !world_->log().Lines(line).empty(); }, ms);
}

int CameraRig::SetupRequests() {
  int count = 0;
  camera().LastSetupRequest(&count);
  return count;
}

bool CameraRig::NextSetupRequest(int seen, std::vector<uint8_t>* body, int ms) {
  int count = 0;
  return PumpUntil(
      [&] {
        *body = camera().LastSetupRequest(&count);
        return count > seen;
      },
      ms);
}

}  // namespace dialogs::testing
