// The main window's commands: closing views, logging out and exiting,
// showing and hiding the file list.
#include "app/main_window.h"
#include "app/resource.h"
#include "hosting/hosting_service.h"

namespace app {

void CMainWindow::ViewClosed(CameraView* view) {
  if (plans_.service()) plans_.service()->ViewClosing(views_.RequestOf(view), *view);
  std::unique_ptr<CameraView> owned = views_.Remove(view);
  if (!owned) return;
  // The view is still on its way out of its own window procedure.
  closed_views_.push_back(std::move(owned));
  PostMessageW(hwnd(), kWmDeleteClosedViews, 0, 0);
  host_events_.ReconcileCameraServers();
  host_events_.RefreshAlarms();
  if (exiting_ && views_.empty()) EndMain();
}

void CMainWindow::LogOut() {
  core_.hosting().Disconnect();
  for (CameraView* view : views_.Snapshot()) view->PostClose();
  file_list_.Clear();
}

void CMainWindow::Exit() {
  plans_.Stop();  // each plan's file is finished before the views close
  LogOut();
  exiting_ = true;
  // The views close on their own messages (a recording is finished first);
  // the window ends when the last is gone, or after a bounded wait.
  if (views_.empty())
    EndMain();
  else
    SetTimer(hwnd(), kExitWaitTimer, kExitWaitMs, nullptr);
}

void CMainWindow::EndMain() {
  KillTimer(hwnd(), kExitWaitTimer);
  start_.StopQuitTimer();
  End(IDOK);
}

void CMainWindow::ShowHideList() {
  const bool shown = core_.hosting().HostConnected() && file_list_.hwnd() && file_list_.ToggleBeside(hwnd());
  SetChecked(IDC_CHECK_SHOW_LIST, shown);
}

void CMainWindow::CamerasArrived() {
  opener_.OpenPending(host_events_.host_key(), [this](const std::string& camera) { return start_.RecordingPath(camera); });
}

}  // namespace app
