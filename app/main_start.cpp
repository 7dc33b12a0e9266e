#include "app/main_start.h"

#include <ctime>

#include "app/server_tree.h"
#include "app/view_opener.h"
#include "os/clock.h"
#include "os/local_time.h"
#include "settings/win32/viewer_registry.h"

namespace app {

void MainStart::Run(HWND window) {
  window_ = window;
  if (options_.quit_after_seconds >= 0) {
    quit_at_ms_ = os::MonotonicMs() + static_cast<uint64_t>(options_.quit_after_seconds) * 1000u;
    OnQuitTimer();
  }
  for (const std::string& name : options_.servers) ConnectEntry(name);
}

void MainStart::OnQuitTimer() {
  const uint64_t now = os::MonotonicMs();
  if (now >= quit_at_ms_) {
    exit_();
    return;
  }
  SetTimer(window_, kQuitTimer, QuitTimerStepMs(quit_at_ms_ - now), nullptr);
}

void MainStart::StopQuitTimer() {
  if (window_) KillTimer(window_, kQuitTimer);
}

void MainStart::ConnectEntry(const std::string& name) {
  HTREEITEM item = tree_.FindServer(name);
  const CServerTree::Entry* entry = tree_.EntryOf(item);
  if (!entry) return;
  tree_.Select(item);
  const settings::ServerRecord record = entry->server;
  std::string user = options_.user, password = options_.password;
  if (!options_.has_login) {
    const settings::SavedLogin saved = settings::LoadSavedLogin(record.name);
    user = saved.user;
    password = saved.password;
    if ((user.empty() || password.empty()) && !opener_.AskLogin(window_, record, &user, &password)) return;
  }
  opener_.ConnectEntry(record, user, password, record.IsCamera() ? RecordingPath(record.name) : "");
}

std::string MainStart::RecordingPath(const std::string& name) const {
  if (options_.record_folder.empty()) return "";
  const std::time_t now = std::time(nullptr);
  return app::RecordingPath(options_.record_folder, name, os::LocalTime(now));
}

}  // namespace app
