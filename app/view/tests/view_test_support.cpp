#include "app/view/tests/view_test_support.h"

#include <cstdlib>

#include "app/view/view_factory.h"
#include "os/clock.h"
#include "os/win32/handles.h"
#include "present/picture_file.h"
#include "settings/win32/ini_handler.h"

namespace app::view::testing {

namespace {
const wchar_t kMainClass[] = L"HalyardFakeMainWindow";
}  // namespace

LRESULT CALLBACK FakeViewHost::MainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* host = reinterpret_cast<FakeViewHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (host && message == os::kWmHostEvent) {
    hosting::HostEvent event;
    host->core_.events().Pop(&event);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

FakeViewHost::FakeViewHost(FileChooser* chooser, bool sound) {
  static const bool registered = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kMainClass;
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  main_ = CreateWindowExW(0, kMainClass, L"Halyard", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 250, 300, nullptr,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(main_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  core_.MakeHosting(ToHandle(main_)).Start();
  if (sound) devices_.OpenSound(main_);
  factory_ = MakeViewFactory(GetModuleHandleW(nullptr), chooser);
}

FakeViewHost::~FakeViewHost() {
  CloseAll();
  core_.StopHosting();
  devices_.CloseSound();
  SetWindowLongPtrW(main_, GWLP_USERDATA, 0);
  DestroyWindow(main_);
}

void FakeViewHost::CloseAll() { views_.TakeAll().clear(); }

CViewWindow* FakeViewHost::Open(const ViewRequest& request) {
  return static_cast<CViewWindow*>(factory_->Open(*this, request));
}

CViewWindow* FakeViewHost::OpenDirect(const std::string& name, uint16_t port, const std::string& password) {
  ViewRequest r;
  r.kind = ViewRequest::Kind::kDirect;
  r.display_name = name;
  r.login = {"127.0.0.1", port, false, "", "demo", password};
  return Open(r);
}

void FakeViewHost::SortWindows() {
  SetWindowPos(main_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  views_.BeginSortPass();
  for (CameraView* v : views_.Snapshot()) v->Undock();
}

std::vector<CViewWindow*> FakeViewHost::Views() const {
  std::vector<CViewWindow*> all;
  for (CameraView* v : views_.Snapshot()) all.push_back(static_cast<CViewWindow*>(v));
  return all;
}

void FakeViewHost::ViewClosed(CameraView* view) {
  ++closed;
  views_.Remove(view).reset();
}

std::unique_ptr<sim::World> StartWorld(std::vector<std::string> extra) {
  sim::WorldConfig config;
  config.media_dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
  std::vector<std::string> args = {"--hosting-port", "0", "--user", "demo:demo",
                                   "--camera", "CAM-176:0:test_176x144.m4v:voice",
                                   "--camera", "CAM-320:0:test_320x240.m4v:voice:1.1.8",
                                   "--camera", "CAM-640:0:test_640x480.m4v:voice",
                                   "--file", "rec/one.mp4:CAM-320:test_176x144.m4v"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::string error;
  if (!sim::ParseWorldOptions(args, &config, &error)) return nullptr;
  auto world = std::make_unique<sim::World>(config);
  if (!world->Start(&error)) return nullptr;
  return world;
}

bool SaveScreen(const std::string& path) {
  const RECT all = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const Screenshot shot = Shoot(all);
  if (shot.pixels.empty()) return false;
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(shot.width) * 3 * shot.height);
  for (uint32_t p : shot.pixels) {
    rgb.push_back(uint8_t(p >> 16));
    rgb.push_back(uint8_t(p >> 8));
    rgb.push_back(uint8_t(p));
  }
  const std::vector<uint8_t> png = present::EncodePngRgb(rgb.data(), shot.width, shot.height);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}

std::string WindowsPath(const std::string& unix_path) {
  if (unix_path.empty() || unix_path[0] != '/') return unix_path;
  std::string p = "Z:" + unix_path;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string OutputFolder() {
  const char* out = std::getenv("HALYARD_VIEW_OUT");
  if (out && *out) return WindowsPath(out);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = temp;
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

void UseDefaultTexts() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  if (!ini.IsInitialised()) ini.Initialise(OutputFolder() + "\\no-such-settings-file.ini");
}

}  // namespace app::view::testing
