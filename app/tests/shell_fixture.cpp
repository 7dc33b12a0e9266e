#include "app/tests/shell_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/resource.h"
#include "os/win32/text.h"
#include "settings/tests/settings_files.h"

namespace app::testing {

using namespace dialogs::testing;

std::string DistFolder() {
  const char* dir = std::getenv("HALYARD_BINARY_DIR");
  return std::string(dir ? dir : HALYARD_BINARY_DIR_FALLBACK) + "/dist/Halyard";
}

void CopySkins(const std::string& dir) {
  CreateDirectoryW(win32::Widen(dir).c_str(), nullptr);
  for (const char* skin : {"voRizivoMain.skn", "Login.skn", "FileWindow.skn", "SeekSlider.skn"}) {
    CopyFileW(win32::Widen(DistFolder() + "/" + skin).c_str(), win32::Widen(dir + "\\" + skin).c_str(), FALSE);
  }
}

void WriteServerList(const std::string& path, int hosting_port, int camera1_port, int camera2_port) {
  auto server = [](const char* name, int port, const char* type) {
    return std::string("[") + name + "]\r\nServerIP=127.0.0.1\r\nServerPort=" + std::to_string(port) +
           "\r\nServerType=" + type + "\r\nDDNS=FALSE\r\nMACAddress=\r\n";
  };
  settings::testing::WriteUnicodeFile(
      path, "[GROUP_LIST]\r\nHost Server=Host Server\r\nCameras=Cameras\r\n[Host Server]\r\nDemo server=Demo server\r\n"
            "[Cameras]\r\nDemo camera=Demo camera\r\nSecond camera=Second camera\r\n" +
                server("Demo server", hosting_port, "Host Server") + server("Demo camera", camera1_port, "Camera") +
                server("Second camera", camera2_port, "Camera"));
}

void ShellTest::SetUpTestSuite() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  os::NetStartup();
}

void ShellTest::SetUp() {
  ASSERT_TRUE(sandbox_.registry.active());
  CopySkins(ProgramDir());
  WriteServerList(ProgramDir() + "\\ServerList.ini", 1, 2, 3);
}

void ShellTest::TearDown() {
  CloseMain();
  if (world_) world_->Stop();
}

void ShellTest::StartSim(int more_cameras) {
  sim::WorldConfig config;
  config.media_dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
  std::string error;
  std::vector<std::string> options = {"--hosting-port", "0", "--user", "demo:demo", "--camera",
                                      "CAM-1:0:test_176x144.m4v:voice", "--camera", "CAM-2:0:test_176x144.m4v", "--file",
                                      "rec/cam1/CAM-1_0800.mp4:CAM-1:test_176x144.m4v", "--file",
                                      "rec/cam1/CAM-1_0900.mp4:CAM-1:test_176x144.m4v", "--file-times",
                                      "rec/cam1/CAM-1_0900.mp4:6.12.2026.9.0.0:7.12.2026.10.0.0"};
  for (int i = 0; i < more_cameras; ++i) {
    options.push_back("--camera");
    options.push_back("CAM-" + std::to_string(i + 3) + ":0:test_176x144.m4v");
  }
  ASSERT_TRUE(sim::ParseWorldOptions(options, &config, &error)) << error;
  world_ = std::make_unique<sim::World>(config);
  ASSERT_TRUE(world_->Start(&error)) << error;
  WriteServerList(ProgramDir() + "\\ServerList.ini", world_->hosting()->port(), world_->camera("CAM-1")->port(),
                  world_->camera("CAM-2")->port());
}

MainWindowSetup ShellTest::FreshSetup() {
  main_.reset();
  parts_ = std::make_unique<ProgramParts>();
  MainWindowSetup setup;
  setup.parts = parts_.get();
  return setup;
}

std::string ShellTest::TextOf(HTREEITEM item) {
  wchar_t buf[512] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = buf;
  tv.cchTextMax = 512;
  TreeView_GetItem(main_->tree().hwnd(), &tv);
  return win32::Narrow(buf);
}

CMainWindow& ShellTest::OpenMain(StartOptions options) {
  MainWindowSetup setup = FreshSetup();
  setup.instance = GetModuleHandleW(nullptr);
  setup.program_dir = ProgramDir();
  setup.version = ReadProgramVersion(setup.instance);
  setup.factory = view_factory_ ? view_factory_ : &factory_;
  setup.options = std::move(options);
  main_ = std::make_unique<CMainWindow>(std::move(setup));
  EXPECT_NE(main_->Create(nullptr), nullptr);
  PumpFor(20);
  return *main_;
}

void ShellTest::CloseMain() {
  main_.reset();
  parts_.reset();
  PumpFor(20);
}

std::vector<std::string> ShellTest::ChildTexts(HTREEITEM item) {
  std::vector<std::string> texts;
  for (HTREEITEM c : main_->tree().Children(item)) texts.push_back(TextOf(c));
  return texts;
}

void ShellTest::Command(int id) {
  SendMessageW(main_->hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void ShellTest::Connect(const std::string& entry, const char* user, const char* password) {
  main_->tree().Select(Server(entry));
  ModalDriver driver;
  driver.Then([&](HWND login) {
    SetText(GetDlgItem(login, 1027), user);
    SetText(GetDlgItem(login, 1028), password);
    Click(login, IDOK);
  });
  Command(IDC_BUTTON_CONNECT);
  EXPECT_TRUE(driver.done()) << "no login dialog";
}

bool ShellTest::WaitHostOnline() {
  return PumpUntil([&] {
    const CServerTree::Entry* e = main_->tree().EntryOf(Server("Demo server"));
    return e && e->key != kNoKey && !main_->tree().Children(Server("Demo server")).empty();
  }, 10000);
}

}  // namespace app::testing
