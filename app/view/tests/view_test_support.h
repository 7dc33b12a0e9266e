#pragma once
// What the camera view's Win32 tests, screenshots and benchmark share: a
// stand-in for the main window (a plain top-level window with a real
// HostingService), the message pump, the simulator world in-process, and
// screen read-back.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/program_parts.h"
#include "app/view/camera_view_window.h"
#include "app/view/file_chooser.h"
#include "app/view_host.h"
#include "app/view_list.h"
#include "hosting/host_event_queue.h"
#include "hosting/hosting_service.h"
#include "os/win32/tests/win32_test_rig.h"
#include "world.h"

namespace app::view::testing {

// Runs the window thread's messages until `done` holds or the time is up
// (a view's pictures take longer to come than a dialog's answer).
inline bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 10000) {
  return win32::testing::PumpUntil(done, timeout_ms);
}
using win32::testing::PumpFor;

// Save dialogs answered by the test: the next path, or Cancel when empty.
class ScriptedChooser : public FileChooser {
 public:
  bool ChooseRecording(HWND, std::string* path) override { return Answer(path); }
  bool ChooseSnapshot(HWND, const std::string& folder, const std::string& name, std::string* path) override {
    last_folder = folder;
    last_name = name;
    return Answer(path);
  }
  std::string next;
  std::string last_folder, last_name;
  int asked = 0;

 private:
  bool Answer(std::string* path) {
    ++asked;
    *path = next;
    return !next.empty();
  }
};

// The main window's part: hosting client, event queue, sound output, node
// slots and the view list; views open through the real factory.
class FakeViewHost : public ViewHost {
 public:
  explicit FakeViewHost(FileChooser* chooser = nullptr, bool sound = true);
  ~FakeViewHost() override;

  CViewWindow* Open(const ViewRequest& request);
  CViewWindow* OpenDirect(const std::string& name, uint16_t port, const std::string& password = "demo");
  // Sort Window: the main window to (0, 0), then every view undocked in turn.
  void SortWindows();
  std::vector<CViewWindow*> Views() const;
  void CloseAll();

  HWND MainWindow() const override { return main_; }
  std::string ProgramDir() const override { return program_dir; }
  ProgramCore& Core() override { return core_; }
  present::SoundDevice* SoundOutput() override { return devices_.sound(); }
  ViewList& OpenViews() override { return views_; }
  void ViewClosed(CameraView* view) override;
  void MotionStarted(HWND view, const std::string& camera_id, const std::string& name) override {
    if (on_motion) on_motion(view, camera_id, name);
  }
  void CameraOutage(HWND view, const std::string& camera_id, const std::string& name, bool lost) override {
    if (on_outage) on_outage(view, camera_id, name, lost);
  }

  int closed = 0;
  std::function<void(HWND, const std::string&, const std::string&)> on_motion;
  std::function<void(HWND, const std::string&, const std::string&, bool)> on_outage;
  std::string program_dir;  // where windows find their skins; empty: none

 private:
  static LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND main_ = nullptr;
  Win32WindowSeam seam_;
  ProgramCore core_{seam_, LinkPolicyFromSettings};
  ProgramDevices devices_;  // the program's sound: its mixer over DirectSound
  std::unique_ptr<ViewFactory> factory_;
  ViewList views_;
};

// The simulator with cameras of the three picture sizes ("CAM-176",
// "CAM-320" of version 1.1.8, "CAM-640"), a hosting server with one stored
// file, user demo/demo, all on free loopback ports.
std::unique_ptr<sim::World> StartWorld(std::vector<std::string> extra = {});

// The screen's pixels inside `r`, top-down, 0x00RRGGBB.
using Screenshot = win32::testing::ScreenPicture;
inline Screenshot Shoot(const RECT& r) { return win32::testing::CaptureScreen(r); }
// The whole screen as a PNG file.
bool SaveScreen(const std::string& path);

// Windows path of a Unix one (Wine maps / to Z:).
std::string WindowsPath(const std::string& unix_path);
// The folder for a test's output files: $HALYARD_VIEW_OUT, else the temp folder.
std::string OutputFolder();

// IniHandler on a settings file that does not exist: every text its default.
void UseDefaultTexts();

}  // namespace app::view::testing
