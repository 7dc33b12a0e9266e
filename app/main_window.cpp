#include "app/main_window.h"

#include <algorithm>

#include "app/about_box.h"
#include "app/recordings/recordings_texts.h"
#include "app/registry_open_recordings.h"
#include "hosting/hosting_service.h"
#include "app/resource.h"
#include "dialogs/win32/network_sheet.h"
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

// The system menu's items beyond the standard ones: layouts, walls, the
// Recordings and Event Log windows and the about box.
void AddSystemMenuItems(HINSTANCE instance, HWND window, MainLayouts& layouts) {
  wchar_t text[128] = {};
  if (!LoadStringW(instance, IDS_ABOUTBOX, text, 128)) return;
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const std::wstring event_log = win32::Widen(IniHandler::Instance().GetString(settings::text::kEventLogCaption));
  const std::wstring recordings = win32::Widen(IniHandler::Instance().GetString(recordings::kRecordingsCaption));
  AppendMenuW(menu, MF_STRING, ID_SAVE_LAYOUT, L"Save Layout As...");
  HMENU layouts_menu = CreatePopupMenu();
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(layouts_menu), L"Layouts");
  layouts.SetMenu(layouts_menu);
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

// The event log's daily file in the user's local application data folder.
void StartEventFile(ProgramCore& core) {
  const std::string folder = os::LocalAppDataDirectory();
  if (folder.empty()) return;
  core.WriteEventsTo(folder + "Halyard\\");
}

void ApplyCaptionAndFont(HWND window, HWND tree) {
  IniHandler& ini = IniHandler::Instance();
  SetWindowTextW(window, win32::Widen(ini.GetString(settings::text::kMainCaption)).c_str());
  if (HFONT font = ini.Font()) {
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

// Where it was left, unless that monitor is gone (or the window would be out of reach).
void RestorePosition(HWND window) {
  const settings::WindowPosition at = settings::LoadWindowPosition();
  RECT r{};
  GetWindowRect(window, &r);
  const ScreenRect placed =
      KeepOnAMonitor({at.x, at.y, at.x + (r.right - r.left), at.y + (r.bottom - r.top)}, win32::WorkAreas());
  SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window, SW_SHOWNOACTIVATE);
}

// The hosting client reports to the main window.
void StartHostingClient(ProgramCore& core, HWND window) {
  hosting::HostingService& hosting = core.MakeHosting(reinterpret_cast<os::WindowHandle>(window));
  hosting.SetHostReconnect(settings::LoadKeepReconnecting());
  hosting.Start();
}

// Where the Recordings window looks: the --record folder, the folders
// recorded in lately and the plans' root, with the plans' "Keep" marks.
recordings::RecordingsSources RecordingSources(const std::string& record_folder, MainPlans& plans,
                                               present::SoundDevice* sound) {
  recordings::RecordingsSources sources;
  std::vector<std::string> folders = RegistryOpenRecordingList().Folders();
  if (!record_folder.empty()) folders.insert(folders.begin(), record_folder);
  for (std::string folder : folders) {
    if (folder.empty()) continue;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    if (std::find(sources.roots.begin(), sources.roots.end(), folder) == sources.roots.end()) sources.roots.push_back(folder);
  }
  const std::string app_data = os::LocalAppDataDirectory();
  if (!app_data.empty()) sources.event_folder = app_data + "Halyard\\";
  if (storage::PlanService* service = plans.service()) {
    std::string root = service->plans().storage().root;
    if (!root.empty() && root.back() != '\\' && root.back() != '/') root += '\\';
    if (!root.empty() && std::find(sources.roots.begin(), sources.roots.end(), root) == sources.roots.end())
      sources.roots.push_back(root);
    // Asked at the time: the plans end before the Recordings window.
    sources.is_kept = [&plans](const std::string& path) {
      return plans.service() && plans.service()->plans().retention().IsKept(path);
    };
    sources.set_keep = [&plans](const std::string& path, bool keep) {
      return plans.service() && plans.service()->plans().retention().SetKeep(path, keep);
    };
  }
  sources.sound = sound;
  return sources;
}

// "Sort Window": the main window to the top left corner of the monitor it is
// on ((0, 0) on the primary one), the views undocked and placed beside it.
void SortWindows(HWND main, ViewList& views) {
  const ScreenRect monitor = win32::MonitorOf(main);
  SetWindowPos(main, nullptr, monitor.left, monitor.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  views.BeginSortPass();
  for (CameraView* view : views.Snapshot()) view->Undock();
}

// The option sheet edits a copy; connections started later take the result.
void ShowOptions(HINSTANCE instance, HWND main, ProgramCore& core, storage::PlanService* plans, ViewList& views) {
  net::ProxySettings proxy = *core.hosting().Proxy();
  dialogs::StoragePageData storage;
  if (plans) {
    storage.root = plans->plans().storage().root;
    storage.limits = plans->plans().storage().limits;
    storage.report = plans->plans().retention().LastReport();
  }
  dialogs::CNetworkSheet sheet(instance, main, proxy, plans ? &storage : nullptr);
  sheet.Run();
  if (plans && storage.changed) plans->SetStorage({storage.root, storage.limits});
  core.hosting().SetProxy(proxy);
  // Open direct views follow "Keep reconnecting" from their next attempt.
  const bool keep = settings::LoadKeepReconnecting();
  core.hosting().SetHostReconnect(keep);
  const bool gdi = settings::LoadDrawThroughGdi();
  for (CameraView* view : views.Snapshot()) {
    if (!view->IsRelay()) view->Node().SetKeepReconnecting(keep);
    view->SetDrawThroughGdi(gdi);
  }
}


}  // namespace

CMainWindow::CMainWindow(MainWindowSetup setup)
    : CSkinnedDialog(setup.instance, IDD_MAIN, skin::kMainWindowSkin, setup.program_dir),
      setup_(std::move(setup)),
      core_(setup_.parts->core),
      devices_(setup_.parts->devices),
      side_windows_(setup_.instance, core_.event_log(),
                    [this] { return RecordingSources(setup_.options.record_folder, plans_, devices_.sound()); }),
      entries_({this, &core_, &tree_, &views_, &opener_, &plans_, &walls_, &layouts_}),
      view_host_({setup_.instance, setup_.program_dir, this, &file_list_, &core_, &devices_, &views_, &side_windows_,
                  &alerts_, &layouts_, [this](CameraView* view) { ViewClosed(view); }}),
      file_list_(setup_.instance, setup_.program_dir, docking_, entries_),
      opener_({setup_.instance, setup_.program_dir, setup_.factory, &view_host_, &tree_, &core_,
               [this](const ViewRequest& request, CameraView& view) {
                 // A camera that records by plan is recorded through its view's link while the view is open.
                 if (plans_.service()) plans_.service()->ViewOpened(request, view);
                 layouts_.ApplyPlace(request, &view);
               }}),
      plans_({setup_.instance, &core_, &tree_, &opener_, &alerts_,
              [this](const std::string& title, const std::string& text) { tray_.ShowBalloon(title, text); }}),
      start_(setup_.options, tree_, opener_, [this] { Exit(); }) {
  opener_.AddPending(setup_.options.views);
}

CMainWindow::~CMainWindow() {
  // Destroyed here, while the whole object still handles WM_DESTROY.
  if (hwnd() && IsWindow(hwnd())) DestroyWindow(hwnd());
  if (!shut_down_) Shutdown();
}

CMainWindow* CMainWindow::Instance() { return g_main_window; }

UINT CMainWindow::ShowYourselfMessage() {
  static const UINT message = RegisterWindowMessageW(L"Vantreck.Halyard.ShowMainWindow");
  return message;
}

BOOL CMainWindow::OnInitDialog() {
  AddSystemMenuItems(setup_.instance, hwnd(), layouts_);
  tray_.SetIcons(setup_.instance, hwnd());
  ApplySkin();
  g_main_window = this;
  StartEventFile(core_);
  StartHostingClient(core_, hwnd());
  devices_.OpenSound(hwnd());
  ApplyCaptionAndFont(hwnd(), Item(IDC_TREE_SERVER));
  RestorePosition(hwnd());
  core_.hosting().SetProxy(settings::ToProxySettings(settings::LoadProxyFields()));
  docking_.Add(hwnd());
  file_list_.Create(hwnd());
  tray_.Add();
  SetPropW(hwnd(), kMainWindowProperty, reinterpret_cast<HANDLE>(1));
  tree_.Attach(Item(IDC_TREE_SERVER), hwnd(), setup_.instance, &entries_);
  tree_.Load(setup_.program_dir);
  core_.slots().Reset();
  plans_.Start(hwnd());
  devices_.StartMicrophone(core_.hosting());
  if (setup_.open_recordings)
    repair_.Start(*setup_.open_recordings, setup_.repair_sources, setup_.parts->poster, hwnd(), Item(IDC_TREE_SERVER));
  if (!setup_.options.Empty()) PostMessageW(hwnd(), MainStart::kWmRunStartOptions, 0, 0);
  PostMessageW(hwnd(), kWmRestoreStartLayout, 0, 0);
  // No control takes the focus, so the window is not activated by its own start.
  return FALSE;
}

void CMainWindow::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  repair_.Stop();  // at the next sample; what is not done stays listed
  walls_.CloseAll();  // their cells link through the plans' link maker
  plans_.Stop();    // before the views they may record through and the hosting client
  if (hwnd()) {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    settings::SaveWindowPosition({r.left, r.top});
  }
  if (core_.has_hosting()) LogOut();
  if (file_list_.hwnd()) DestroyWindow(file_list_.hwnd());
  side_windows_.Close();  // the Recordings window's player stops before the sound output closes
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

// ---- messages -------------------------------------------------------------

INT_PTR CMainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // The shell's restart (or its first start, after an autostarted Halyard)
  // took the notification area's icons: without ours a hidden main window
  // could not be reached.
  static const UINT taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
  if (message == taskbar_created && taskbar_created != 0) {
    if (!shut_down_) tray_.Add();
    return TRUE;
  }
  if (walls_.OnDragMessage(message)) return TRUE;
  if (message == ShowYourselfMessage() && ShowYourselfMessage() != 0) {
    tray_.ShowWindowFromTray();
    return TRUE;
  }
  switch (message) {
    case os::kWmHostEvent:
      host_events_.OnDoorbell(core_);
      return TRUE;
    case kWmTrayCallback:
      tray_.OnCallback(lparam, alerts_.armed());
      return TRUE;
    case os::kWmNodeNotice:
    case os::kWmNodeNoticeEnd:
      host_events_.RefreshAlarms();
      return TRUE;
    case kWmDeleteClosedViews:
      closed_views_.clear();
      return TRUE;
    case MainStart::kWmRunStartOptions:
      start_.Run(hwnd());
      return TRUE;
    case MainRepair::kWmRepairProgress:
      repair_.OnProgress(static_cast<size_t>(wparam));
      return TRUE;
    case MainRepair::kWmRepairDone:
      repair_.OnDone();
      return TRUE;
    case ViewOpener::kWmOpenAlertViews:
      opener_.OpenAlertViews();
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
      return OnTimer(wparam);
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
      if (OnSystemCommand(static_cast<UINT>(wparam & 0xFFF0))) return TRUE;
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
        tray_.PaintIconic();
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

bool CMainWindow::OnTimer(UINT_PTR timer) {
  switch (timer) {
    case MainPlans::kPlanTimer:
      plans_.Tick();
      walls_.Tick();
      break;
    case MainStart::kQuitTimer:
      KillTimer(hwnd(), timer);
      start_.OnQuitTimer();
      break;
    case kExitWaitTimer:
      EndMain();
      break;
    default:
      break;
  }
  return TRUE;
}

bool CMainWindow::OnSystemCommand(UINT id) {
  switch (id) {
    case ID_ABOUT:
      CAboutBox(setup_.instance, setup_.version).DoModal(hwnd());
      return true;
    default:
      return side_windows_.OnCommand(hwnd(), id) || layouts_.OnCommand(id) || walls_.OnCommand(id);
  }
}

bool CMainWindow::OnNotify(NMHDR* header, LRESULT* result) {
  // Ctrl+1 to Ctrl+9 in the tree: the saved layout of that number.
  if (header->code == TVN_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
    const WORD key = reinterpret_cast<const NMTVKEYDOWN*>(header)->wVKey;
    if (key >= '1' && key <= '9') {
      layouts_.Switch(key - '0');
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
      entries_.ConnectSelected();
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
      tray_.Hide();
      return true;
    case ID_SHOW_WINDOW:
      ShowWindow(hwnd(), SW_SHOW);
      return true;
    case ID_ARM_ALERTS:
      alerts_.SetArmed(!alerts_.armed());
      return true;
    case IDC_BUTTON_SORT:
      SortWindows(hwnd(), views_);
      return true;
    case IDC_BUTTON_OPTION:
      ShowOptions(setup_.instance, hwnd(), core_, plans_.service(), views_);
      return true;
    case IDC_BUTTON_HELP:
      return true;
    default:
      if (side_windows_.OnCommand(hwnd(), static_cast<UINT>(id))) return true;
      return CSkinnedDialog::OnCommand(id, code, control);
  }
}

}  // namespace app
