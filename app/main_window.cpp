#include "app/main_window.h"

#include <algorithm>

#include "app/alerts/alert_rules_dialog.h"
#include "app/recordings/recordings_texts.h"
#include "app/registry_open_recordings.h"
#include "hosting/hosting_service.h"
#include "app/resource.h"
#include "os/app_data.h"
#include "os/debug_log.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app {
namespace {

using settings::IniHandler;

CMainWindow* g_main_window = nullptr;

constexpr char kApplicationName[] = "Halyard";

}  // namespace

CMainWindow::CMainWindow(MainWindowSetup setup)
    : CSkinnedDialog(setup.instance, IDD_MAIN, skin::kMainWindowSkin, setup.program_dir),
      setup_(std::move(setup)),
      core_(setup_.parts->core),
      devices_(setup_.parts->devices),
      file_list_(setup_.instance, setup_.program_dir, docking_, *this),
      pending_views_(setup_.options.views) {}

CMainWindow::~CMainWindow() {
  // Destroyed here, while the whole object still handles WM_DESTROY.
  if (hwnd() && IsWindow(hwnd())) DestroyWindow(hwnd());
  if (!shut_down_) Shutdown();
  if (icon_big_) DestroyIcon(icon_big_);
  if (icon_small_) DestroyIcon(icon_small_);
}

CMainWindow* CMainWindow::Instance() { return g_main_window; }

UINT CMainWindow::ShowYourselfMessage() {
  static const UINT message = RegisterWindowMessageW(L"Vantreck.Halyard.ShowMainWindow");
  return message;
}

void CMainWindow::ShowFromTray() {
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

BOOL CMainWindow::OnInitDialog() {
  AddAboutItem();
  SetIcons();
  ApplySkin();
  g_main_window = this;
  StartEventFile();
  StartHostingClient();
  devices_.OpenSound(hwnd());
  ApplyCaptionAndFont();
  RestorePositionAndProxy();
  CreateFileList();
  tray_.Add(hwnd(), icon_small_, kApplicationName, kWmTrayCallback);
  SetPropW(hwnd(), kMainWindowProperty, reinterpret_cast<HANDLE>(1));
  tree_.Attach(Item(IDC_TREE_SERVER), hwnd(), setup_.instance, this);
  tree_.Load(setup_.program_dir);
  core_.slots().Reset();
  StartPlans();
  devices_.StartMicrophone(core_.hosting());
  if (setup_.open_recordings)
    repair_.Start(*setup_.open_recordings, setup_.repair_sources, setup_.parts->poster, hwnd(), Item(IDC_TREE_SERVER));
  if (!setup_.options.Empty()) PostMessageW(hwnd(), kWmRunStartOptions, 0, 0);
  PostMessageW(hwnd(), kWmRestoreStartLayout, 0, 0);
  // No control takes the focus, so the window is not activated by its own start.
  return FALSE;
}

void CMainWindow::ShowEventLog() {
  if (!event_log_window_) event_log_window_ = std::make_unique<CEventLogWindow>(setup_.instance, core_.event_log());
  event_log_window_->Show(hwnd());
}

recordings::RecordingsSources CMainWindow::RecordingSources() {
  recordings::RecordingsSources sources;
  std::vector<std::string> folders = RegistryOpenRecordingList().Folders();
  if (!setup_.options.record_folder.empty()) folders.insert(folders.begin(), setup_.options.record_folder);
  for (std::string folder : folders) {
    if (folder.empty()) continue;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    if (std::find(sources.roots.begin(), sources.roots.end(), folder) == sources.roots.end()) sources.roots.push_back(folder);
  }
  const std::string app_data = os::LocalAppDataDirectory();
  if (!app_data.empty()) sources.event_folder = app_data + "Halyard\\";
  if (plans_) {
    std::string root = plans_->plans().storage().root;
    if (!root.empty() && root.back() != '\\' && root.back() != '/') root += '\\';
    if (!root.empty() && std::find(sources.roots.begin(), sources.roots.end(), root) == sources.roots.end())
      sources.roots.push_back(root);
    // Asked at the time: the plans end before the Recordings window.
    sources.is_kept = [this](const std::string& path) { return plans_ && plans_->plans().retention().IsKept(path); };
    sources.set_keep = [this](const std::string& path, bool keep) {
      return plans_ && plans_->plans().retention().SetKeep(path, keep);
    };
  }
  sources.sound = SoundOutput();
  return sources;
}

void CMainWindow::ShowRecordings() {
  if (!recordings_window_) recordings_window_ = std::make_unique<recordings::CRecordingsWindow>(setup_.instance);
  recordings_window_->Show(hwnd(), RecordingSources());
}

void CMainWindow::PlayBack(const std::vector<std::string>& names) {
  if (!recordings_window_) recordings_window_ = std::make_unique<recordings::CRecordingsWindow>(setup_.instance);
  recordings_window_->ShowCamera(hwnd(), RecordingSources(), names);
}

void CMainWindow::MotionStarted(HWND view, const std::string& camera_id, const std::string& name) {
  alerts_.MotionStarted(view, camera_id, name);
}

void CMainWindow::CameraOutage(HWND view, const std::string& camera_id, const std::string& name, bool lost) {
  alerts_.CameraOutage(view, camera_id, name, lost);
}

void CMainWindow::EditAlerts(HWND view, const std::string& camera_id, const std::string& /*name*/) {
  alerts::CAlertRulesDialog dialog(setup_.instance, alerts::AlertRulesRemembered(camera_id),
                                   [](const settings::TextId& id) { return IniHandler::Instance().GetString(id); });
  if (dialog.DoModal(view) != IDOK) return;
  alerts::RememberAlertRules(camera_id, dialog.rules());
}

void CMainWindow::AddAboutItem() {
  wchar_t text[128] = {};
  if (!LoadStringW(setup_.instance, IDS_ABOUTBOX, text, 128)) return;
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (!menu) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const std::wstring event_log = win32::Widen(IniHandler::Instance().GetString(settings::text::kEventLogCaption));
  const std::wstring recordings = win32::Widen(IniHandler::Instance().GetString(recordings::kRecordingsCaption));
  AppendMenuW(menu, MF_STRING, ID_SAVE_LAYOUT, L"Save Layout As...");
  HMENU layouts_menu = CreatePopupMenu();
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(layouts_menu), L"Layouts");
  layouts_.SetMenu(layouts_menu);
  HMENU walls = CreatePopupMenu();
  for (UINT i = 0; i < ID_WALL_COUNT; ++i)
    AppendMenuW(walls, MF_STRING, ID_WALL_FIRST + 16 * i, (L"Wall on Monitor " + std::to_wstring(i + 1)).c_str());
  AppendMenuW(walls, MF_STRING, ID_TOUR_LAYOUTS, L"Tour the Layouts");
  AppendMenuW(walls, MF_STRING, ID_CLOSE_WALLS, L"Close Walls");
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(walls), L"Walls");
  AppendMenuW(menu, MF_STRING, ID_RECORDINGS, recordings.c_str());
  AppendMenuW(menu, MF_STRING, ID_EVENT_LOG, event_log.c_str());
  AppendMenuW(menu, MF_STRING, ID_ABOUT, text);
}

void CMainWindow::SetIcons() {
  icon_big_ = static_cast<HICON>(LoadImageW(setup_.instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  icon_small_ = static_cast<HICON>(LoadImageW(setup_.instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_big_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_small_));
}

// The hosting client reports to the main window.
void CMainWindow::StartHostingClient() {
  hosting::HostingService& hosting = core_.MakeHosting(reinterpret_cast<os::WindowHandle>(hwnd()));
  hosting.SetHostReconnect(settings::LoadKeepReconnecting());
  hosting.Start();
}

void CMainWindow::StartEventFile() {
  const std::string folder = os::LocalAppDataDirectory();
  if (folder.empty()) return;
  core_.WriteEventsTo(folder + "Halyard\\");
}

void CMainWindow::ApplyCaptionAndFont() {
  IniHandler& ini = IniHandler::Instance();
  SetWindowTextW(hwnd(), win32::Widen(ini.GetString(settings::text::kMainCaption)).c_str());
  if (HFONT font = ini.Font()) {
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(Item(IDC_TREE_SERVER), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void CMainWindow::RestorePositionAndProxy() {
  const settings::WindowPosition at = settings::LoadWindowPosition();
  core_.hosting().SetProxy(settings::ToProxySettings(settings::LoadProxyFields()));
  // Where it was left, unless that monitor is gone (or the window would be out of reach).
  RECT r{};
  GetWindowRect(hwnd(), &r);
  const ScreenRect placed =
      KeepOnAMonitor({at.x, at.y, at.x + (r.right - r.left), at.y + (r.bottom - r.top)}, win32::WorkAreas());
  SetWindowPos(hwnd(), nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

void CMainWindow::CreateFileList() {
  docking_.Add(hwnd());
  file_list_.Create(hwnd());
}

void CMainWindow::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  repair_.Stop();  // at the next sample; what is not done stays listed
  walls_.CloseAll();  // their cells link through the plans' link maker
  StopPlans();      // before the views they may record through and the hosting client
  if (hwnd()) {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    settings::SaveWindowPosition({r.left, r.top});
  }
  if (core_.has_hosting()) LogOut();
  if (file_list_.hwnd()) DestroyWindow(file_list_.hwnd());
  if (event_log_window_ && event_log_window_->hwnd()) DestroyWindow(event_log_window_->hwnd());
  recordings_window_.reset();  // its player stops before the sound output closes
  tray_.Remove();
  if (hwnd()) RemovePropW(hwnd(), kMainWindowProperty);
  if (g_main_window == this) g_main_window = nullptr;
  devices_.StopMicrophone();
  // Views whose close was asked for but never came end with the window;
  // each takes itself off the hosting client while it still runs.
  views_.TakeAll().clear();
  closed_views_.clear();
  // Only now that no view is left to play through its buffers.
  devices_.CloseSound();
  core_.StopHosting();
  core_.WriteEventsTo("");  // writes what is queued
}

void CMainWindow::OnHostEvent() {
  // One event per doorbell message.
  hosting::HostEvent event;
  if (!core_.has_hosting() || !core_.events().Pop(&event)) return;
  router_.Route(event, host_events_);
}

std::vector<std::pair<std::string, intptr_t>> CMainWindow::PlanDirectLinks() const {
  if (!plans_) return {};
  return plans_->DirectLinks();
}

// ---- messages -------------------------------------------------------------

INT_PTR CMainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // The shell's restart (or its first start, after an autostarted Halyard)
  // took the notification area's icons: without ours a hidden main window
  // could not be reached.
  static const UINT taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
  if (message == taskbar_created && taskbar_created != 0) {
    if (!shut_down_) tray_.Add(hwnd(), icon_small_, kApplicationName, kWmTrayCallback);
    return TRUE;
  }
  if (walls_.OnDragMessage(message)) return TRUE;
  if (message == ShowYourselfMessage() && ShowYourselfMessage() != 0) {
    ShowFromTray();
    return TRUE;
  }
  switch (message) {
    case os::kWmHostEvent:
      OnHostEvent();
      return TRUE;
    case kWmTrayCallback:
      OnTrayCallback(lparam);
      return TRUE;
    case os::kWmNodeNotice:
    case os::kWmNodeNoticeEnd:
      host_events_.RefreshAlarms();
      return TRUE;
    case kWmDeleteClosedViews:
      closed_views_.clear();
      return TRUE;
    case kWmRunStartOptions:
      RunStartOptions();
      return TRUE;
    case MainRepair::kWmRepairProgress:
      repair_.OnProgress(static_cast<size_t>(wparam));
      return TRUE;
    case MainRepair::kWmRepairDone:
      repair_.OnDone();
      return TRUE;
    case kWmOpenAlertViews:
      OpenAlertViews();
      return TRUE;
    case kWmRestoreStartLayout:
      layouts_.RestoreAtStart(setup_.options);
      walls_.OpenAtStart(setup_.options.walls);
      return TRUE;
    case MainWalls::kWmCloseWall:
      walls_.Close(reinterpret_cast<wall::CWallWindow*>(lparam));
      return TRUE;
    case CServerTree::kWmEditAgain:
      tree_.EditAgain();
      return TRUE;
    case WM_TIMER:
      if (wparam == kPlanTimer) {
        if (plans_) plans_->Tick();
        SyncPlans();
        walls_.Tick();
        return TRUE;
      }
      if (wparam == kQuitTimer || wparam == kExitWaitTimer) {
        KillTimer(hwnd(), wparam);
        if (wparam == kQuitTimer) OnQuitTimer();
        else EndMain();
      }
      return TRUE;
    case WM_QUERYENDSESSION:
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ENDSESSION:
      // Windows may end the process as soon as this returns: the recordings
      // are finished and the position saved before, not at an Exit that
      // never comes.
      if (wparam) Shutdown();
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == ID_ABOUT) {
        ShowAbout();
        return TRUE;
      }
      if ((wparam & 0xFFF0) == ID_EVENT_LOG) {
        ShowEventLog();
        return TRUE;
      }
      if ((wparam & 0xFFF0) == ID_RECORDINGS) {
        ShowRecordings();
        return TRUE;
      }
      if (layouts_.OnCommand(static_cast<UINT>(wparam & 0xFFF0))) return TRUE;
      if (walls_.OnCommand(static_cast<UINT>(wparam & 0xFFF0))) return TRUE;
      break;
    case WM_CLOSE:
      Exit();
      return TRUE;
    case WM_CONTEXTMENU:
      // From the keyboard (no pointer position): the tree's selected entry.
      if (reinterpret_cast<HWND>(wparam) == Item(IDC_TREE_SERVER) && lparam == -1) {
        tree_.ShowMenuOfSelected();
        return TRUE;
      }
      break;
    case WM_WINDOWPOSCHANGING:
      docking_.OnPositionChanging(0, reinterpret_cast<WINDOWPOS*>(lparam), dragging());
      break;
    case WM_WINDOWPOSCHANGED:
      docking_.OnPositionChanged(0);
      break;
    case WM_PAINT:
      if (IsIconic(hwnd())) {
        Paint();
        return TRUE;
      }
      break;
    case WM_DESTROY:
      Shutdown();
      break;
    default:
      break;
  }
  return CSkinnedDialog::HandleMessage(message, wparam, lparam);
}

void CMainWindow::OnOK() {
  if (GetFocus() == Item(IDC_TREE_SERVER)) tree_.ActivateSelected();
}

void CMainWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT r{};
  GetClientRect(hwnd(), &r);
  const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (r.right - cx + 1) / 2, (r.bottom - cy + 1) / 2, icon_big_);
  EndPaint(hwnd(), &ps);
}

bool CMainWindow::OnNotify(NMHDR* header, LRESULT* result) {
  // Ctrl+1 to Ctrl+9 in the tree: the saved layout of that number.
  if (header->code == TVN_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
    const WORD key = reinterpret_cast<const NMTVKEYDOWN*>(header)->wVKey;
    if (key >= '1' && key <= '9') {
      SwitchLayout(key - '0');
      *result = 1;
      return true;
    }
  }
  if (tree_.OnNotify(header, result)) return true;
  return CSkinnedDialog::OnNotify(header, result);
}

bool CMainWindow::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_BUTTON_CONNECT:
      ConnectSelected();
      return true;
    case IDC_BUTTON_CLOSE:
      LogOut();
      return true;
    case IDC_BUTTON_EXIT:
      Exit();
      return true;
    case IDC_CHECK_SHOW_LIST:
      ShowHideList();
      return true;
    case IDC_BUTTON_MINIMIZE:
      // Hidden, only the tray icon brings it back: without one it is minimised.
      if (!tray_.added()) tray_.Add(hwnd(), icon_small_, kApplicationName, kWmTrayCallback);
      ShowWindow(hwnd(), tray_.added() ? SW_HIDE : SW_MINIMIZE);
      return true;
    case ID_SHOW_WINDOW:
      ShowWindow(hwnd(), SW_SHOW);
      return true;
    case ID_EVENT_LOG:
      ShowEventLog();
      return true;
    case ID_RECORDINGS:
      ShowRecordings();
      return true;
    case ID_ARM_ALERTS:
      alerts_.SetArmed(!alerts_.armed());
      return true;
    case IDC_BUTTON_SORT:
      SortWindows();
      return true;
    case IDC_BUTTON_OPTION:
      ShowOptions();
      return true;
    case IDC_BUTTON_HELP:
      return true;
    default:
      return CSkinnedDialog::OnCommand(id, code, control);
  }
}

}  // namespace app
