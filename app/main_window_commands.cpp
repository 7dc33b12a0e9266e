// The main window's commands: closing views, logging out and exiting,
// arranging and hiding windows, the option sheet.
#include "app/main_window.h"
#include "hosting/hosting_service.h"
#include "app/resource.h"
#include "dialogs/win32/network_sheet.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app {
namespace {

using settings::IniHandler;
namespace text = settings::text;

}  // namespace

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

void CMainWindow::SortWindows() {
  // The top left corner of the monitor it is on: (0, 0) on the primary one.
  const ScreenRect monitor = win32::MonitorOf(hwnd());
  SetWindowPos(hwnd(), nullptr, monitor.left, monitor.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  views_.BeginSortPass();
  for (CameraView* view : views_.Snapshot()) view->Undock();
}

void CMainWindow::ShowOptions() {
  // The sheet edits a copy; connections started later take the result.
  net::ProxySettings proxy = *core_.hosting().Proxy();
  dialogs::StoragePageData storage;
  storage::PlanService* plans = plans_.service();
  if (plans) {
    storage.root = plans->plans().storage().root;
    storage.limits = plans->plans().storage().limits;
    storage.report = plans->plans().retention().LastReport();
  }
  dialogs::CNetworkSheet sheet(setup_.instance, hwnd(), proxy, plans ? &storage : nullptr);
  sheet.Run();
  if (plans && storage.changed) plans->SetStorage({storage.root, storage.limits});
  core_.hosting().SetProxy(proxy);
  // Open direct views follow "Keep reconnecting" from their next attempt.
  const bool keep = settings::LoadKeepReconnecting();
  core_.hosting().SetHostReconnect(keep);
  const bool gdi = settings::LoadDrawThroughGdi();
  for (CameraView* view : views_.Snapshot()) {
    if (!view->IsRelay()) view->Node().SetKeepReconnecting(keep);
    view->SetDrawThroughGdi(gdi);
  }
}

void CMainWindow::CamerasArrived() {
  opener_.OpenPending(host_events_.host_key(), [this](const std::string& camera) { return start_.RecordingPath(camera); });
}

}  // namespace app
