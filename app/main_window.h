#pragma once
// The viewer's main window (template 102, skin "\voRizivoMain.skn"): a small
// skinned panel with the server tree and the buttons that connect, log out,
// arrange and hide windows. It owns the hosting client with its event queue,
// the sound output and microphone, the camera and file list window, the
// list of open camera views, the 33-slot node table, the tray icon and the
// start-up repair of recordings the last run left cut off, and turns the
// hosting client's events into tree updates.
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
#include "app/host_event_router.h"
#include "app/node_slots.h"
#include "app/program_info.h"
#include "app/recordings/recordings_window.h"
#include "app/server_tree.h"
#include "app/layouts/layout.h"
#include "app/start_options.h"
#include "app/storage/win32/plan_service.h"
#include "app/tray_icon.h"
#include "app/wall/win32/shared_cell_links.h"
#include "app/wall/win32/wall_window.h"
#include "app/view/node_speaker_links.h"
#include "app/view_host.h"
#include "app/view_list.h"
#include "dialogs/win32/skinned_dialog.h"
#include "hosting/hosting_service.h"
#include "node/event_file.h"
#include "node/event_log.h"
#include "present/microphone.h"
#include "present/win32/direct_sound_output.h"
#include "present/win32/wave_in_device.h"
#include "record/startup_repair.h"
#include "settings/text_table.h"

namespace app {

// Posts window messages for the network threads.
class Win32Poster : public os::WindowPoster {
 public:
  bool Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override {
    return PostMessageW(reinterpret_cast<HWND>(window), message, wparam, lparam) != FALSE;
  }
};

struct MainWindowSetup {
  HINSTANCE instance = nullptr;
  std::string program_dir;  // without a trailing backslash
  ProgramVersion version;
  ViewFactory* factory = nullptr;
  StartOptions options;
  // Where recordings the last run left cut off are looked for, and the list
  // they leave once repaired; without the list there is no start-up repair.
  record::OpenRecordingList* open_recordings = nullptr;
  record::StartupRepairSources repair_sources;
};

class CMainWindow : public dialogs::CSkinnedDialog,
                    public ViewHost,
                    private ServerTreeOwner,
                    private wall::WallWindowOwner,
                    private HostEventTarget,
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
  hosting::HostingService& Hosting() override { return *hosting_; }
  hosting::HostEventQueue& Events() override { return *events_; }
  present::SoundDevice* SoundOutput() override;
  node::EventLog* ViewEvents() override { return &event_log_; }
  int AcquireNodeIndex() override { return slots_.Acquire(); }
  void ReleaseNodeIndex(int index) override { slots_.Release(index); }
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
  node::EventLog& event_log() { return event_log_; }
  NodeSlotTable& node_slots() { return slots_; }
  bool microphone_on() const { return microphone_ && microphone_->IsOn(); }
  bool tray_icon_shown() const { return tray_.added(); }
  // The main window has ended (Exit).
  bool ended() const { return result() != -1; }
  // The status line of the start-up repair; empty while none runs.
  std::string repair_status() const;
  // The start-up repair has reported its end.
  bool repair_done() const { return repair_done_; }

  // Messages of the main window beyond the table of commands.
  static constexpr UINT kWmDeleteClosedViews = WM_APP + 41;
  static constexpr UINT kWmRunStartOptions = WM_APP + 42;
  // From the start-up repair's thread: recordings left (wparam), and its end.
  static constexpr UINT kWmRepairProgress = WM_APP + 43;
  static constexpr UINT kWmRepairDone = WM_APP + 44;
  // Alerts of cameras recorded by plan open their views (alert_opens_).
  static constexpr UINT kWmOpenAlertViews = WM_APP + 45;
  // At start: the --layout layout, else the last one used.
  static constexpr UINT kWmRestoreStartLayout = WM_APP + 46;

  // Layouts (main_window_layouts.cpp), for the menus, the keys and the tests.
  // Saves the open views under `name`; false when a locked layout has it.
  bool SaveLayout(const std::string& name);
  // Puts the views as the stored layout has them; false when there is none.
  bool RestoreLayout(const std::string& name);
  void SwitchLayout(int number) override;
  const std::string& current_layout() const { return current_layout_; }

  // Video walls (main_window_wall.cpp). A wall on a monitor that has one
  // replaces it; null when the window cannot be made.
  wall::CWallWindow* OpenWall(const wall::WallSetup& setup);
  void CloseWalls();
  std::vector<wall::CWallWindow*> walls() const;
  // A camera dragged from the tree and let go at `screen`: the cell of a
  // wall there shows it. False when no cell is there.
  bool DropOnWall(const wall::WallCamera& camera, POINT screen);
  static constexpr UINT kWmCloseWall = WM_APP + 47;  // lParam: the wall
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
  void CreateHostingClient();
  // The event log's daily file in the user's local application data folder.
  void StartEventFile();
  void ApplyCaptionAndFont();
  void RestorePositionAndProxy();
  void CreateFileList();
  void StartMicrophone();
  void StartRepair();
  recordings::RecordingsSources RecordingSources();
  void Shutdown();

  // The start-up repair (main_window_repair.cpp).
  void ShowRepairStatus(size_t left);
  void HideRepairStatus();
  void OnRepairDone();

  // Commands.
  void ConnectSelected() override;
  void OpenRelayView(const std::string& camera_id) override;
  void CloseHostServer() override;
  // Recording plans (main_window_plans.cpp).
  void SetPlan(bool hosted, const std::string& name, node::PlanMode mode) override;
  void EditPlan(bool hosted, const std::string& name) override;
  void ApplyPlan(bool hosted, const std::string& name, const node::RecordingPlan& plan);
  bool EnsurePlanLogin(const std::string& name);
  void StartPlans();
  void StopPlans();
  // Hosted cameras can be reached while the tree lists them; the tree shows each plan's state.
  void SyncPlans();
  // The views alerts asked for, each of a camera that has none.
  void OpenAlertViews();
  // Walls (main_window_wall.cpp).
  std::unique_ptr<storage::PlanLink> OpenWallLink(const wall::WallCamera& camera, storage::ShownLinkOptions options,
                                                  std::string* why) override;
  void OpenViewOf(const wall::WallCamera& camera) override;
  void WallChanged(wall::CWallWindow*) override {}
  void WallClosing(wall::CWallWindow* wall) override;
  void WallUserActive(wall::CWallWindow*) override;
  std::vector<wall::WallCamera> TourCameras() override;
  void ToggleLayoutTour() override;
  void RunLayoutTour(const wall::Tour& tour) override;
  bool LayoutTourRunning() const override { return layout_tour_ != nullptr; }
  bool AskTourName(std::string* name) override;
  std::vector<CameraMenuItem> CameraMenuItems(const wall::WallCamera& camera) override;
  void CameraMenuCommand(const wall::WallCamera& camera, UINT command) override;
  void TickLayoutTour();
  void BeginCameraDrag(bool hosted, const std::string& name) override;
  bool OnDragMessage(UINT message);
  void CloseWall(wall::CWallWindow* wall);
  wall::CWallWindow* WallOn(int monitor) const;
  void RestoreWalls(const std::vector<wall::WallSetup>& walls);
  void OpenStartWalls();
  bool OnWallCommand(UINT id);
  // Layouts (main_window_layouts.cpp).
  layouts::Layout CaptureLayout();
  void PlaceView(CameraView* view, const layouts::LayoutView& place);
  void OpenLayoutView(const layouts::LayoutView& place);
  bool OnLayoutCommand(UINT id);
  void SaveLayoutAs();
  void RenameCurrentLayout();
  void RebuildLayoutMenu();
  // A view just opened: its place in the layout being put back, if any.
  void ApplyLayoutPlace(const ViewRequest& request, CameraView* view);
  void RestoreStartLayout();
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

  // Hosting client events.
  void OnHostEvent();
  void HostOnline(const std::string& address, int port, ConnectionKey key) override;
  void HostOffline(ConnectionKey key) override;
  void ClearFiles() override;
  void LoggedIn() override;
  void CamerasListed(ConnectionKey key, const std::vector<net::CameraRecord>& list) override;
  void FilesListed(const std::vector<net::FileRecord>& files) override;
  void CameraAdded(ConnectionKey key, const net::CameraRecord& camera) override;
  void CameraRemoved(const std::string& camera_id) override;
  void FileUpdated(uint32_t code, const net::FileRecord& file) override;
  void RelayViewOpened(const std::string& camera_id) override;
  void RelayViewClosed(const std::string& camera_id) override;
  void CameraInfo(ConnectionKey key, const std::string& text) override;
  void CameraServerOnline(const std::string& text, int match_mode, ConnectionKey key) override;
  void DirectViewClosed(ConnectionKey key) override;
  void HostReconnecting(int attempt) override;
  void HostUnreachable(const std::string& address, int port) override;
  void HostLoginRefused() override;
  void ChannelNotFound(const std::string& name) override;
  // Shows a message the network's events ask for, one box at a time: while
  // one is up (its own message loop delivers further events) the next waits.
  void Tell(const settings::TextId& id);
  // Camera servers whose view has closed or lost its link go offline.
  void ReconcileCameraServers();
  // The views reporting a notice mark their tree entries.
  void RefreshAlarms();
  static ConnectionKey VideoSocketOf(CameraView* view);

  MainWindowSetup setup_;
  // What happened to every view and the hosting connection; the views and
  // the hosting client outlive neither (declared before them).
  node::EventLog event_log_;
  alerts::CameraAlerts alerts_{&event_log_, [this](const std::string& title, const std::string& text) {
                                 tray_.ShowBalloon(title, text);
                               }};
  std::unique_ptr<node::EventFileWriter> event_file_;
  std::string host_address_;  // the hosting server last online, for its tree entry
  int host_port_ = 0;
  bool host_restoring_ = false;
  std::deque<const settings::TextId*> untold_;  // waiting for the box that is up
  bool telling_ = false;
  std::unique_ptr<CEventLogWindow> event_log_window_;
  Win32Poster poster_;
  HWND hosting_window_ = nullptr;
  std::unique_ptr<hosting::HostEventQueue> events_;
  std::unique_ptr<hosting::HostingService> hosting_;
  HostEventRouter router_;
  // Devices the views play and record through: they outlive every view
  // (declared before them, closed after them by Shutdown).
  present::DirectSoundOutput sound_;
  present::WaveInDevice wave_in_;
  std::unique_ptr<view::NodeSpeakerLinks> speaker_links_;
  std::unique_ptr<present::Microphone> microphone_;
  // Plays through sound_: closed before it (Shutdown).
  std::unique_ptr<recordings::CRecordingsWindow> recordings_window_;
  DockingList docking_;
  CFileListWindow file_list_;
  CServerTree tree_;
  ViewList views_;
  std::vector<std::unique_ptr<CameraView>> closed_views_;
  NodeSlotTable slots_;
  // Its links take node slots and use the hosting client: declared after them.
  std::unique_ptr<storage::PlanService> plans_;
  std::unique_ptr<wall::SharedCellLinks> cell_links_;  // before the walls: their cells lease from it
  std::vector<std::unique_ptr<wall::CWallWindow>> walls_;
  std::unique_ptr<wall::TourClock> layout_tour_;
  std::optional<wall::WallCamera> dragged_camera_;  // while a camera is dragged out of the tree
  std::vector<std::pair<std::string, std::string>> alert_opens_;  // camera id and name
  std::string current_layout_;  // the layout last saved or put back
  // Where views of the layout being put back go when they open (by the camera's "h:"/"d:" key).
  std::map<std::string, layouts::LayoutView> layout_places_;
  std::map<std::string, std::string> layout_docks_;  // by camera key: the key of the view it docks to
  HMENU layouts_menu_ = nullptr;  // the system menu's "Layouts" submenu
  TrayIcon tray_;
  HICON icon_big_ = nullptr, icon_small_ = nullptr;
  std::vector<std::string> pending_views_;
  std::unique_ptr<record::StartupRepair> repair_;
  HWND repair_status_ = nullptr;  // the status line, while the repair runs
  bool repair_done_ = false;
  bool exiting_ = false;
  uint64_t quit_at_ms_ = 0;  // os::MonotonicMs of --quit-after's end
  bool file_list_placed_ = false;
  bool shut_down_ = false;
};

}  // namespace app
