#pragma once
// The camera views' door into the program: the main window's and the file
// list's windows (views place themselves beside them), the core, the sound
// output, the open views, the Recordings window, the alerts and the layouts.
// A view's close comes back to the main window through `closed`. Windows
// only; called on the main window's thread.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/view_host.h"
#include "os/win32/dialog.h"

namespace app {

class MainLayouts;
class ProgramDevices;
class SideWindows;
namespace alerts {
class CameraAlerts;
}  // namespace alerts

struct MainViewHostParts {
  HINSTANCE instance = nullptr;
  std::string program_dir;
  const win32::CDialogBase* main_window = nullptr;
  const win32::CDialogBase* list_window = nullptr;
  ProgramCore* core = nullptr;
  ProgramDevices* devices = nullptr;
  ViewList* views = nullptr;
  SideWindows* side_windows = nullptr;
  alerts::CameraAlerts* alerts = nullptr;
  MainLayouts* layouts = nullptr;
  std::function<void(CameraView*)> closed;
};

class MainViewHost : public ViewHost {
 public:
  explicit MainViewHost(MainViewHostParts parts) : parts_(std::move(parts)) {}

  HWND MainWindow() const override { return parts_.main_window->hwnd(); }
  HWND ListWindow() const override { return parts_.list_window->hwnd(); }
  std::string ProgramDir() const override { return parts_.program_dir; }
  ProgramCore& Core() override { return *parts_.core; }
  present::SoundDevice* SoundOutput() override;
  ViewList& OpenViews() override { return *parts_.views; }
  void ViewClosed(CameraView* view) override { parts_.closed(view); }
  void PlayBack(const std::vector<std::string>& names) override;
  void SwitchLayout(int number) override;
  void MotionStarted(HWND view, const std::string& camera_id, const std::string& name) override;
  void CameraOutage(HWND view, const std::string& camera_id, const std::string& name, bool lost) override;
  void EditAlerts(HWND view, const std::string& camera_id, const std::string& name) override;

 private:
  MainViewHostParts parts_;
};

}  // namespace app
