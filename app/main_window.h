#pragma once
// The viewer's main window (template 102, skin "\voRizivoMain.skn"): a small
// skinned panel with the server tree and the buttons that connect, log out,
// arrange and hide windows. It drives the program's parts (the core's
// hosting client, event log and node slots, the sound devices) that are made
// before it, and owns the camera and file list window, the list of open
// camera views, the tray icon and the start-up repair of recordings the last
// run left cut off; it turns the hosting client's events into tree updates.
#include <windows.h>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/alerts/camera_alerts.h"
#include "app/docking_list.h"
#include "app/event_log_window.h"
#include "app/file_list_window.h"
#include "app/host_event_handler.h"
#include "app/host_event_router.h"
#include "app/program_info.h"
#include "app/program_parts.h"
#include "app/recordings/recordings_window.h"
#include "app/server_tree.h"
#include "app/layouts/layout.h"
#include "app/main_layouts.h"
#include "app/main_repair.h"
#include "app/main_walls.h"
#include "app/start_options.h"
#include "app/storage/win32/plan_service.h"
#include "app/tray_icon.h"
#include "app/view_host.h"
#include "app/view_list.h"
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

class CMainWindow : public dialogs::CSkinnedDialog,
                    public ViewHost,
                    private ServerTreeOwner,
                    private MainWallsOwner,
                    private MainLayoutsOwner,
                    private HostEventOwner,
                    private FileListOwner {
 public:
  explicit CMainWindow(MainWindowSetup setup);
  ~CMainWindow() override;

  // The main window while it exists (other windows reach it so), else null.
  static CMainWindow* Instance();
  // A second start finds the running one's main window by this property and
  // posts it ShowYourselfMessage, which shows it as the tray icon does.
  static constexpr wchar_t kMainWindowProperty[] = L"Vantreck.Halyard.MainWindow";
  static UINT ShowYourselfMessage();

  // ViewHost
  HWND MainWindow() const override { return hwnd(); }
  HWND ListWindow() const override { return file_list_.hwnd(); }
  std::string ProgramDir() const override { return setup_.program_dir; }
  ProgramCore& Core() override { return core_; }
  present::SoundDevice* SoundOutput() override { return devices_.sound(); }
  ViewList& OpenViews() override { return views_; }
  void ViewClosed(CameraView* view) override;

  // The parts, for the program's other windows and for tests.
  CServerTree& tree() { return tree_; }
  ViewList& views() { return views_; }
  CFileListWindow& file_list() { return file_list_; }
  // Opens the "Event Log" window (tray menu and system menu).
  void ShowEventLog();
  CEventLogWindow* event_log_window() { return event_log_window_.get(); }
  // Opens the "Recordings" window (tray menu and system menu) on the
  // recording folders: the --record folder and those recorded in lately.
  void ShowRecordings();
  void PlayBack(const std::vector<std::string>& names) override;
  void MotionStarted(HWND view, const std::string& camera_id, const std::string& name) override;
  void CameraOutage(HWND view, const std::string& camera_id, const std::string& name, bool lost) override;
  void EditAlerts(HWND view, const std::string& camera_id, const std::string& name) override;
  alerts::CameraAlerts& alerts() { return alerts_; }
  recordings::CRecordingsWindow* recordings_window() { return recordings_window_.get(); }
  node::EventLog& event_log() { return core_.event_log(); }
  bool microphone_on() const { return devices_.microphone_on(); }
  bool tray_icon_shown() const { return tray_.added(); }
  // The main window has ended (Exit).
  bool ended() const { return result() != -1; }
  // The start-up repair of recordings the last run left cut off.
  const MainRepair& repair() const { return repair_; }

  // Messages of the main window beyond the table of commands.
  static constexpr UINT kWmDeleteClosedViews = WM_APP + 41;
  static constexpr UINT kWmRunStartOptions = WM_APP + 42;
  // Alerts of cameras recorded by plan open their views (alert_opens_).
  static constexpr UINT kWmOpenAlertViews = WM_APP + 45;
  // At start: the --layout layout, else the last one used.
  static constexpr UINT kWmRestoreStartLayout = WM_APP + 46;

  // Layouts, for the menus, the keys and the tests.
  MainLayouts& layouts() { return layouts_; }
  bool RestoreLayout(const std::string& name) override { return layouts_.Restore(name); }
  void SwitchLayout(int number) override { layouts_.Switch(number); }
  // The video walls, one a monitor.
  MainWalls& walls() { return walls_; }
  static constexpr UINT_PTR kQuitTimer = 1;
  static constexpr UINT_PTR kExitWaitTimer = 2;
  static constexpr UINT_PTR kPlanTimer = 3;  // once a second: the recording plans
  // The recording plans, for tests; null once the program ends.
  storage::PlanService* plans() { return plans_.get(); }
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
  // Initialisation steps.
  void AddAboutItem();
  void SetIcons();
  void StartHostingClient();
  // The event log's daily file in the user's local application data folder.
  void StartEventFile();
  void ApplyCaptionAndFont();
  void RestorePositionAndProxy();
  void CreateFileList();
  recordings::RecordingsSources RecordingSources();
  void Shutdown();

  // Commands.
  void ConnectSelected() override;
  void OpenRelayView(const std::string& camera_id) override;
  void CloseHostServer() override;
  // Recording plans (main_window_plans.cpp).
  void SetPlan(bool hosted, const std::string& name, node::PlanMode mode) override;
  void EditPlan(bool hosted, const std::string& name) override;
  void ApplyPlan(bool hosted, const std::string& name, const node::RecordingPlan& plan);
  bool EnsurePlanLogin(const std::string& name) override;
  void StartPlans();
  void StopPlans();
  // Hosted cameras can be reached while the tree lists them; the tree shows each plan's state.
  void SyncPlans();
  // The views alerts asked for, each of a camera that has none.
  void OpenAlertViews();
  // Walls (main_window_wall.cpp): MainWallsOwner.
  HWND WallsParent() const override { return hwnd(); }
  storage::PlanService* Plans() override { return plans_.get(); }
  void OpenCameraView(const wall::WallCamera& camera) override;
  std::vector<wall::WallWindowOwner::CameraMenuItem> CameraMenuItems(const wall::WallCamera& camera) override;
  void CameraMenuCommand(const wall::WallCamera& camera, UINT command) override;
  void BeginCameraDrag(bool hosted, const std::string& name) override;
  // Layouts: MainLayoutsOwner (main_window_layouts.cpp).
  HWND LayoutsParent() const override { return hwnd(); }
  void OpenLayoutView(const layouts::LayoutView& place) override;
  bool AskLogin(const settings::ServerRecord& record, std::string* user, std::string* password);
  // A camera entry opens a direct view, recording into `record_path` when one is given.
  void ConnectEntry(const settings::ServerRecord& record, const std::string& user, const std::string& password,
                    const std::string& record_path = "");
  void OpenView(const ViewRequest& request);
  // FileListOwner
  bool HostConnected() override;
  void RequestFileList() override;
  void OpenFileView(const std::string& camera_id, const std::string& file_name) override;
  void LogOut();
  void Exit();
  void EndMain();
  void ShowHideList();
  void PlaceFileList();
  void SortWindows();
  void ShowOptions();
  void ShowAbout();
  void OnTrayCallback(LPARAM mouse_message);
  void ShowFromTray();
  void RunStartOptions();
  void OnQuitTimer();
  void ConnectStartEntry(const std::string& name);
  std::string StartRecordingPath(const std::string& name) const;
  void OpenPendingViews();
  void Paint();

  // Hosting client events (applied by host_events_).
  void OnHostEvent();
  void CamerasChanged() override { SyncPlans(); }
  void CamerasArrived() override { OpenPendingViews(); }
  void LoginAccepted() override { ShowHideList(); }
  std::vector<std::pair<std::string, intptr_t>> PlanDirectLinks() const override;

  MainWindowSetup setup_;
  ProgramCore& core_;
  ProgramDevices& devices_;
  alerts::CameraAlerts alerts_{&core_.event_log(), [this](const std::string& title, const std::string& text) {
                                 tray_.ShowBalloon(title, text);
                               }};
  std::unique_ptr<CEventLogWindow> event_log_window_;
  HostEventRouter router_;
  // Plays through the sound output: closed before it (Shutdown).
  std::unique_ptr<recordings::CRecordingsWindow> recordings_window_;
  DockingList docking_;
  CFileListWindow file_list_;
  CServerTree tree_;
  ViewList views_;
  HostEventHandler host_events_{tree_, file_list_, views_, core_.event_log(), *this};
  std::vector<std::unique_ptr<CameraView>> closed_views_;
  // Its links take node slots and use the hosting client: ended by Shutdown before the hosting client stops.
  std::unique_ptr<storage::PlanService> plans_;
  MainWalls walls_{setup_.instance, tree_, *this};  // their cells link through the plans
  std::vector<std::pair<std::string, std::string>> alert_opens_;  // camera id and name
  MainLayouts layouts_{setup_.instance, views_, tree_, walls_, *this};
  TrayIcon tray_;
  HICON icon_big_ = nullptr, icon_small_ = nullptr;
  std::vector<std::string> pending_views_;
  MainRepair repair_{setup_.instance, core_.event_log()};
  bool exiting_ = false;
  uint64_t quit_at_ms_ = 0;  // os::MonotonicMs of --quit-after's end
  bool file_list_placed_ = false;
  bool shut_down_ = false;
};

}  // namespace app
