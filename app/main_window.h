#pragma once
// The viewer's main window (template 102, skin "\voRizivoMain.skn"): a small
// skinned panel with the server tree and the buttons that connect, log out,
// arrange and hide windows. It drives the program's parts (the core's
// hosting client, event log and node slots, the sound devices) that are made
// before it, and owns the camera and file list window, the list of open
// camera views and the rooms that do the rest (plans, walls, layouts, tray,
// start options, start-up repair, the hosting client's events); they reach
// one another through EntryCommands and the views through MainViewHost.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/alerts/camera_alerts.h"
#include "app/docking_list.h"
#include "app/entry_commands.h"
#include "app/file_list_window.h"
#include "app/host_event_handler.h"
#include "app/program_info.h"
#include "app/program_parts.h"
#include "app/server_tree.h"
#include "app/layouts/layout.h"
#include "app/main_layouts.h"
#include "app/main_repair.h"
#include "app/main_plans.h"
#include "app/main_start.h"
#include "app/main_tray.h"
#include "app/main_view_host.h"
#include "app/main_walls.h"
#include "app/start_options.h"
#include "app/side_windows.h"
#include "app/view_host.h"
#include "app/view_list.h"
#include "app/view_opener.h"
#include "dialogs/win32/skinned_dialog.h"
#include "node/events/event_log.h"
#include "record/startup_repair.h"
#include "settings/text_table.h"

namespace app {

struct MainWindowSetup {
  HINSTANCE instance = nullptr;
  std::string program_dir;  // without a trailing backslash
  ProgramVersion version;
  ViewFactory* factory = nullptr;
  // The core and the sound devices the window drives; they outlive it.
  ProgramParts* parts = nullptr;
  StartOptions options;
  // Where recordings the last run left cut off are looked for, and the list
  // they leave once repaired; without the list there is no start-up repair.
  record::OpenRecordingList* open_recordings = nullptr;
  record::StartupRepairSources repair_sources;
};

class CMainWindow : public dialogs::CSkinnedDialog, private HostEventOwner {
 public:
  explicit CMainWindow(MainWindowSetup setup);
  ~CMainWindow() override;

  // The main window while it exists (other windows reach it so), else null.
  static CMainWindow* Instance();
  // A second start finds the running one's main window by this property and
  // posts it ShowYourselfMessage, which shows it as the tray icon does.
  static constexpr wchar_t kMainWindowProperty[] = L"Vantreck.Halyard.MainWindow";
  static UINT ShowYourselfMessage();

  // The parts, for the program's other windows and for tests.
  ProgramCore& core() { return core_; }
  // What the camera views reach of the program.
  ViewHost& view_host() { return view_host_; }
  CServerTree& tree() { return tree_; }
  ViewList& views() { return views_; }
  CFileListWindow& file_list() { return file_list_; }
  // The "Event Log" and "Recordings" windows (tray menu and system menu).
  SideWindows& side_windows() { return side_windows_; }
  alerts::CameraAlerts& alerts() { return alerts_; }
  bool tray_icon_shown() const { return tray_.added(); }
  // The main window has ended (Exit).
  bool ended() const { return result() != -1; }
  // The start-up repair of recordings the last run left cut off.
  const MainRepair& repair() const { return repair_; }
  // Layouts, for the menus, the keys and the tests.
  MainLayouts& layouts() { return layouts_; }
  // The video walls, one a monitor.
  MainWalls& walls() { return walls_; }
  // The recording plans, for tests; null once the program ends.
  storage::PlanService* plans() { return plans_.service(); }

  // Messages and timers of the main window beyond the table of commands
  // (its rooms have their own).
  static constexpr UINT kWmDeleteClosedViews = WM_APP + 41;
  // At start: the --layout layout, else the last one used.
  static constexpr UINT kWmRestoreStartLayout = WM_APP + 46;
  static constexpr UINT_PTR kExitWaitTimer = 2;
  // How long Exit waits for the views to close (recordings finish) before it ends anyway.
  static constexpr UINT kExitWaitMs = 5000;

 protected:
  BOOL OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  // Escape and Enter never close the main window; Enter on the tree opens
  // the selected entry as a double click does.
  void OnOK() override;
  void OnCancel() override {}

 private:
  void Shutdown();
  bool OnTimer(UINT_PTR timer);
  bool OnSystemCommand(UINT id);
  // The view's window is gone: off the view list, deleted from the message loop.
  void ViewClosed(CameraView* view);
  // HostEventOwner: the hosting client's events, applied by host_events_.
  void CamerasChanged() override { plans_.Sync(); }
  void CamerasArrived() override;
  void LoginAccepted() override { ShowHideList(); }
  std::vector<std::pair<std::string, intptr_t>> PlanDirectLinks() const override { return plans_.DirectLinks(); }

  // Commands.
  void LogOut();
  void Exit();
  void EndMain();
  void ShowHideList();

  MainWindowSetup setup_;
  ProgramCore& core_;
  ProgramDevices& devices_;
  MainTray tray_;
  alerts::CameraAlerts alerts_{&core_.event_log(), [this](const std::string& title, const std::string& text) {
                                 tray_.ShowBalloon(title, text);
                               }};
  // The Recordings window plays through the sound output: closed before it (Shutdown).
  SideWindows side_windows_;
  DockingList docking_;
  CServerTree tree_;
  ViewList views_;
  // The parts below reach one another through these two; they are used only once the window runs.
  EntryCommands entries_;
  MainViewHost view_host_;
  CFileListWindow file_list_;
  HostEventHandler host_events_{tree_, file_list_, views_, core_.event_log(), *this};
  std::vector<std::unique_ptr<CameraView>> closed_views_;
  ViewOpener opener_;
  // Its links take node slots and use the hosting client: ended by Shutdown before the hosting client stops.
  MainPlans plans_;
  MainWalls walls_{setup_.instance, tree_, entries_};  // their cells link through the plans
  MainLayouts layouts_{setup_.instance, views_, tree_, walls_, entries_};
  MainStart start_;
  MainRepair repair_{setup_.instance, core_.event_log()};
  bool exiting_ = false;
  bool shut_down_ = false;
};

}  // namespace app
