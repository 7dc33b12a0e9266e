#pragma once
// The application object: prepares the process (start-up options, sockets,
// version and folder, screen saver and power state, settings, debug log),
// runs the modal main window, and puts the process back as it found it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/program_info.h"
#include "app/registry_open_recordings.h"
#include "app/start_options.h"
#include "app/view_host.h"
#include "os/win32/handles.h"
#include "record/startup_repair.h"

namespace app {

class CHalyardApp {
 public:
  // `program_dir` empty: the folder of the executable.
  explicit CHalyardApp(HINSTANCE instance, std::string program_dir = "");
  ~CHalyardApp();
  CHalyardApp(const CHalyardApp&) = delete;
  CHalyardApp& operator=(const CHalyardApp&) = delete;

  // Everything before the main window. 0, or the exit code when the program
  // must end at once: kUsageExitCode after a wrong option or an unknown
  // entry (the usage shown), kAlreadyRunningExitCode when Halyard already
  // runs in this session (its main window is shown instead), 1 when sockets
  // cannot start.
  int InitInstance(const std::vector<std::string>& args);
  // The main window, modally, until Exit.
  void Run(ViewFactory& factory);
  // Screen saver and power state back as found, the settings' font gone.
  void ExitInstance();

  // Where the usage and the socket failure are shown (a message box unless
  // a test records them).
  void SetShow(std::function<void(const std::string&)> show) { show_ = std::move(show); }

  const ProgramVersion& version() const { return version_; }
  const std::string& program_dir() const { return program_dir_; }
  const StartOptions& options() const { return options_; }
  RegistryOpenRecordingList& open_recordings() { return open_recordings_; }
  bool screen_saver_was_active() const { return screen_saver_was_active_; }

 private:
  int ShowUsage(const std::string& reason);
  bool BecomeTheOnlyInstance();
  void PrepareStartupRepair();
  std::string CheckServerEntries() const;

  HINSTANCE instance_;
  std::string program_dir_;
  ProgramVersion version_;
  StartOptions options_;
  BOOL screen_saver_was_active_ = FALSE;
  bool prepared_ = false;
  RegistryOpenRecordingList open_recordings_;
  record::StartupRepairSources repair_sources_;  // handed to the main window, which repairs
  std::function<void(const std::string&)> show_;
  win32::UniqueHandle instance_mutex_;  // held while this is the session's Halyard
};

// Named per session: another user's Halyard on the same PC is another's.
inline constexpr wchar_t kInstanceMutex[] = L"Local\\Vantreck.Halyard.Instance";

// The whole program: returns the process exit code.
int RunHalyard(HINSTANCE instance, const std::vector<std::string>& args, ViewFactory& factory);

}  // namespace app
