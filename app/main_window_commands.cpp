// The main window's commands: connecting entries, opening and closing views,
// logging out and exiting, arranging and hiding windows, the option sheet,
// the about box, the tray icon and the start-up options.
#include <algorithm>
#include <ctime>

#include "app/about_box.h"
#include "app/main_window.h"
#include "hosting/hosting_service.h"
#include "app/alerts/alert_texts.h"
#include "app/recordings/recordings_texts.h"
#include "app/resource.h"
#include "dialogs/win32/login_dialog.h"
#include "dialogs/win32/network_sheet.h"
#include "os/clock.h"
#include "os/local_time.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app {
namespace {

using settings::IniHandler;
namespace text = settings::text;

}  // namespace

void CMainWindow::ConnectSelected() {
  const CServerTree::Entry* entry = tree_.EntryOf(tree_.Selected());
  if (!entry || entry->level != 2) {
    IniHandler::Instance().ShowMessage(text::kTreeErrorSelectServer);
    return;
  }
  const settings::ServerRecord record = entry->server;
  std::string user, password;
  if (AskLogin(record, &user, &password)) ConnectEntry(record, user, password);
}

bool CMainWindow::AskLogin(const settings::ServerRecord& record, std::string* user, std::string* password) {
  dialogs::LoginDialog login(setup_.instance, record, hwnd(), setup_.program_dir);
  if (login.DoModal(hwnd()) != IDOK) return false;
  *user = login.user();
  *password = login.password();
  return true;
}

void CMainWindow::ConnectEntry(const settings::ServerRecord& record, const std::string& user,
                               const std::string& password, const std::string& record_path) {
  if (record.IsCamera()) {
    ViewRequest request;
    request.kind = ViewRequest::Kind::kDirect;
    request.display_name = record.name;
    request.record_path = record_path;
    request.mac = record.mac;
    request.login = {record.ip, static_cast<uint16_t>(record.port), record.ddns, record.mac, user, password};
    OpenView(request);
    return;
  }
  if (core_.hosting().HostConnected()) {
    IniHandler::Instance().ShowMessage(text::kErrorHostAlreadyConnected);
    return;
  }
  // The client refuses a second connect while one is still under way (its
  // proxy handshake may take 20 s): that is not a connection.
  if (core_.hosting().Connect({record.ip, static_cast<uint16_t>(record.port), user, password}) != 0)
    IniHandler::Instance().ShowMessage(text::kErrorHostConnectNotStarted);
}

void CMainWindow::OpenView(const ViewRequest& request) {
  if (!setup_.factory) return;
  CameraView* view = setup_.factory->Open(*this, request);
  // A camera that records by plan is recorded through its view's link while the view is open.
  if (view && plans_) plans_->ViewOpened(request, *view);
  if (view) layouts_.ApplyPlace(request, view);
}

void CMainWindow::OpenRelayView(const std::string& camera_id) {
  if (views_.HasRelayView(camera_id)) return;
  ViewRequest request;
  request.kind = ViewRequest::Kind::kRelay;
  request.camera_id = camera_id;
  OpenView(request);
}

bool CMainWindow::HostConnected() { return core_.hosting().HostConnected(); }

void CMainWindow::RequestFileList() { core_.hosting().RequestFileList(hosting::RequestTarget::Host()); }

// One view per stored file: a second View brings the open one forward.
void CMainWindow::OpenFileView(const std::string& camera_id, const std::string& file_name) {
  for (CameraView* view : views_.Snapshot()) {
    const ViewRequest open = views_.RequestOf(view);
    if (open.kind == ViewRequest::Kind::kFile && open.file_name == file_name) {
      SetForegroundWindow(view->Window());
      return;
    }
  }
  ViewRequest request;
  request.kind = ViewRequest::Kind::kFile;
  request.camera_id = camera_id;
  request.file_name = file_name;
  OpenView(request);
}

void CMainWindow::CloseHostServer() {
  for (CameraView* view : views_.Snapshot())
    if (view->IsRelay()) view->PostClose();
  core_.hosting().CloseHost();
}

void CMainWindow::ViewClosed(CameraView* view) {
  if (plans_) plans_->ViewClosing(views_.RequestOf(view), *view);
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
  StopPlans();  // each plan's file is finished before the views close
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
  KillTimer(hwnd(), kQuitTimer);
  End(IDOK);
}

void CMainWindow::ShowHideList() {
  bool shown = false;
  if (core_.hosting().HostConnected() && file_list_.hwnd()) {
    shown = !IsWindowVisible(file_list_.hwnd());
    if (shown && !file_list_placed_) PlaceFileList();
    ShowWindow(file_list_.hwnd(), shown ? SW_SHOWNOACTIVATE : SW_HIDE);
  }
  SetChecked(IDC_CHECK_SHOW_LIST, shown);
}

// The first time it shows, the list sits against the main window's right
// edge, top aligned, docked to it; later it stays where the user left it.
void CMainWindow::PlaceFileList() {
  RECT main{};
  GetWindowRect(hwnd(), &main);
  SetWindowPos(file_list_.hwnd(), nullptr, main.right, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  docking_.Dock(1, 0);
  file_list_placed_ = true;
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
  if (plans_) {
    storage.root = plans_->plans().storage().root;
    storage.limits = plans_->plans().storage().limits;
    storage.report = plans_->plans().retention().LastReport();
  }
  dialogs::CNetworkSheet sheet(setup_.instance, hwnd(), proxy, plans_ ? &storage : nullptr);
  sheet.Run();
  if (plans_ && storage.changed) plans_->SetStorage({storage.root, storage.limits});
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

void CMainWindow::ShowAbout() {
  CAboutBox about(setup_.instance, setup_.version);
  about.DoModal(hwnd());
}

void CMainWindow::OnTrayCallback(LPARAM mouse_message) {
  switch (LOWORD(mouse_message)) {
    case WM_LBUTTONDBLCLK:
      ShowFromTray();
      break;
    case WM_RBUTTONUP: {
      SetForegroundWindow(hwnd());
      HMENU menu = LoadMenuW(setup_.instance, MAKEINTRESOURCEW(IDR_TRAY_MENU));
      POINT p;
      GetCursorPos(&p);
      if (menu) {
        const std::wstring event_log = win32::Widen(IniHandler::Instance().GetString(text::kEventLogCaption));
        ModifyMenuW(GetSubMenu(menu, 0), ID_EVENT_LOG, MF_BYCOMMAND | MF_STRING, ID_EVENT_LOG, event_log.c_str());
        const std::wstring recordings = win32::Widen(IniHandler::Instance().GetString(recordings::kRecordingsCaption));
        ModifyMenuW(GetSubMenu(menu, 0), ID_RECORDINGS, MF_BYCOMMAND | MF_STRING, ID_RECORDINGS, recordings.c_str());
        const std::wstring armed = win32::Widen(IniHandler::Instance().GetString(alerts::kAlertsArmAll));
        ModifyMenuW(GetSubMenu(menu, 0), ID_ARM_ALERTS, MF_BYCOMMAND | MF_STRING | (alerts_.armed() ? MF_CHECKED : 0),
                    ID_ARM_ALERTS, armed.c_str());
        TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd(), nullptr);
        DestroyMenu(menu);
      }
      // Lets the menu close when the user clicks elsewhere.
      PostMessageW(hwnd(), WM_NULL, 0, 0);
      break;
    }
    default:
      break;
  }
}

// ---- start-up options -----------------------------------------------------

void CMainWindow::RunStartOptions() {
  const StartOptions& o = setup_.options;
  if (o.quit_after_seconds >= 0) {
    quit_at_ms_ = os::MonotonicMs() + static_cast<uint64_t>(o.quit_after_seconds) * 1000u;
    OnQuitTimer();
  }
  for (const std::string& name : o.servers) ConnectStartEntry(name);
}

// Exit once the --quit-after time is up, waiting for it in steps a timer holds.
void CMainWindow::OnQuitTimer() {
  const uint64_t now = os::MonotonicMs();
  if (now >= quit_at_ms_) {
    Exit();
    return;
  }
  SetTimer(hwnd(), kQuitTimer, QuitTimerStepMs(quit_at_ms_ - now), nullptr);
}

void CMainWindow::ConnectStartEntry(const std::string& name) {
  const StartOptions& o = setup_.options;
  HTREEITEM item = tree_.FindServer(name);
  const CServerTree::Entry* entry = tree_.EntryOf(item);
  if (!entry) return;
  tree_.Select(item);
  const settings::ServerRecord record = entry->server;
  std::string user = o.user, password = o.password;
  if (!o.has_login) {
    const settings::SavedLogin saved = settings::LoadSavedLogin(record.name);
    user = saved.user;
    password = saved.password;
    if ((user.empty() || password.empty()) && !AskLogin(record, &user, &password)) return;
  }
  ConnectEntry(record, user, password, record.IsCamera() ? StartRecordingPath(record.name) : "");
}

// Empty without --record: the view does not record.
std::string CMainWindow::StartRecordingPath(const std::string& name) const {
  if (setup_.options.record_folder.empty()) return "";
  const std::time_t now = std::time(nullptr);
  return RecordingPath(setup_.options.record_folder, name, os::LocalTime(now));
}

void CMainWindow::OpenPendingViews() {
  if (pending_views_.empty()) return;
  const std::vector<std::string> listed = tree_.CameraIds(router_.host_key());
  std::vector<std::string> waiting;
  for (const std::string& camera : pending_views_) {
    if (std::find(listed.begin(), listed.end(), camera) == listed.end() || views_.HasRelayView(camera)) {
      waiting.push_back(camera);
      continue;
    }
    ViewRequest request;
    request.kind = ViewRequest::Kind::kRelay;
    request.camera_id = camera;
    request.record_path = StartRecordingPath(camera);
    OpenView(request);
  }
  pending_views_ = std::move(waiting);
}

}  // namespace app
