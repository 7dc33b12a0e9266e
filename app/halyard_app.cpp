#include "app/halyard_app.h"

#include <commctrl.h>

#include "app/main_window.h"
#include "app/resource.h"
#include "os/debug_log.h"
#include "os/socket.h"
#include "os/win32/message_box.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/server_list_store.h"

namespace app {
namespace {

constexpr char kSettingsFile[] = "\\Halyard.ini";

bool FindEntry(const std::string& program_dir, const std::string& name, settings::ServerRecord* record) {
  settings::ServerListStore store;
  store.SetPath(program_dir + settings::kServerListFile);
  for (const std::string& group : store.GetGroups())
    for (const settings::ServerRecord& server : store.GetServers(group))
      if (server.name == name) {
        *record = server;
        return true;
      }
  return false;
}

// The running Halyard's main window, found by the property it carries.
BOOL CALLBACK FindMainWindow(HWND window, LPARAM found) {
  if (!GetPropW(window, CMainWindow::kMainWindowProperty)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

CHalyardApp::CHalyardApp(HINSTANCE instance, std::string program_dir)
    : instance_(instance), program_dir_(std::move(program_dir)) {
  show_ = [](const std::string& text) { win32::ShowMessageBox(nullptr, text, "Halyard", MB_OK | MB_ICONERROR); };
}

CHalyardApp::~CHalyardApp() { ExitInstance(); }

int CHalyardApp::ShowUsage(const std::string& reason) {
  show_(reason + "\r\n\r\n" + StartUsage());
  return kUsageExitCode;
}

int CHalyardApp::InitInstance(const std::vector<std::string>& args) {
  std::string error;
  if (!ParseStartOptions(args, &options_, &error)) return ShowUsage(error);
  if (!BecomeTheOnlyInstance()) return kAlreadyRunningExitCode;
  if (!os::NetStartup()) {
    wchar_t text[256] = {};
    LoadStringW(instance_, IDS_SOCKETS_FAILED, text, 256);
    show_(win32::Narrow(text));
    return 1;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  version_ = ReadProgramVersion(instance_);
  if (program_dir_.empty()) program_dir_ = ProgramDirectory(instance_);
  if (const std::string error = CheckServerEntries(); !error.empty()) return ShowUsage(error);

  SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &screen_saver_was_active_, 0);
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
  // Neither the display nor the system sleeps while cameras are watched.
  SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED);
  prepared_ = true;
  settings::IniHandler::Instance().Initialise(program_dir_ + kSettingsFile);
  DebugLogEnable(true);
  PrepareStartupRepair();
  return 0;
}

// One Halyard per session: two would share the registry, the tray and the
// screen saver setting (the last to exit restored it). A second start shows
// the first one's main window and ends.
bool CHalyardApp::BecomeTheOnlyInstance() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
  const bool first_start = GetLastError() != ERROR_ALREADY_EXISTS;
  instance_mutex_.Reset(mutex);
  if (!instance_mutex_.valid() || first_start) return true;
  instance_mutex_.Reset();
  HWND first = nullptr;
  EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&first));
  if (first) {
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    AllowSetForegroundWindow(process);  // this start has the foreground to give
    PostMessageW(first, CMainWindow::ShowYourselfMessage(), 0, 0);
  }
  return false;
}

// Every --server names an entry, and at most one of them a hosting server:
// the hosting client holds one connection.
std::string CHalyardApp::CheckServerEntries() const {
  int hosting = 0;
  for (const std::string& name : options_.servers) {
    settings::ServerRecord record;
    if (!FindEntry(program_dir_, name, &record)) return "there is no server list entry '" + name + "'";
    if (!record.IsCamera() && ++hosting > 1) return "only one hosting server can be connected ('" + name + "')";
  }
  return "";
}

// Recordings the last run left cut off (it crashed or the PC lost power) are
// repaired once the main window is up. Where to look is read now, before this
// run lists its first recording; from here on each recording that opens is
// listed until it is finished.
void CHalyardApp::PrepareStartupRepair() {
  repair_sources_.listed = open_recordings_.Paths();
  repair_sources_.folders = open_recordings_.Folders();
  if (!options_.record_folder.empty()) repair_sources_.folders.push_back(options_.record_folder);
  record::SetOpenRecordingList(&open_recordings_);
}

void CHalyardApp::Run(ViewFactory& factory) {
  // Made before the main window and ended after it: the hosting client's
  // threads, the event file and the sound devices outlive every window.
  ProgramParts parts;
  MainWindowSetup setup;
  setup.instance = instance_;
  setup.program_dir = program_dir_;
  setup.version = version_;
  setup.factory = &factory;
  setup.parts = &parts;
  setup.options = options_;
  setup.open_recordings = &open_recordings_;
  setup.repair_sources = repair_sources_;
  CMainWindow main(std::move(setup));
  main.DoModal(nullptr);
}

void CHalyardApp::ExitInstance() {
  if (!prepared_) return;
  prepared_ = false;
  record::SetOpenRecordingList(nullptr);
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(screen_saver_was_active_), nullptr, 0);
  SetThreadExecutionState(ES_CONTINUOUS);
  settings::IniHandler::Instance().Shutdown();
}

int RunHalyard(HINSTANCE instance, const std::vector<std::string>& args, ViewFactory& factory) {
  CHalyardApp app(instance);
  if (const int code = app.InitInstance(args); code != 0) return code;
  app.Run(factory);
  app.ExitInstance();
  return 0;
}

}  // namespace app
