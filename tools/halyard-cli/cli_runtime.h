#pragma once
// The console program's stand-in for a window system: posted messages and
// timers queue up and the main thread (the "user-interface thread") delivers
// them; user-visible messages go to standard error and are remembered so the
// program can turn them into its exit status.
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hosting/host_event.h"
#include "os/posted_queue.h"
#include "os/window_seam.h"

namespace cli {

class Runtime : public os::WindowPoster, public os::WindowTimers, public os::UserMessages {
 public:
  using Handler = std::function<void(uint32_t message, uintptr_t wparam, intptr_t lparam)>;

  void SetHandler(os::WindowHandle window, Handler handler);
  // The window is gone (DestroyWindow): its handler and timers go with it,
  // and messages still queued for it are dropped.
  void Forget(os::WindowHandle window);

  bool Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override;
  void SetTimer(os::WindowHandle window, uint32_t id, int interval_ms) override;
  void KillTimer(os::WindowHandle window, uint32_t id) override;
  void ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                   const std::vector<os::MessageArg>& args) override;

  // Delivers messages and timers until `done` holds, `timeout_ms` passes or
  // an interrupt arrives; true when `done` held.
  bool RunUntil(const std::function<bool()>& done, int timeout_ms);
  // What the hosting client's events ask the user to hear of (a server out
  // of reach, a refused login, no such camera or file) is shown here, as the
  // main window shows it in a message box; false for every other event.
  bool Tell(const hosting::HostEvent& event);
  // The keys ("SECTION/KEY") of every message shown so far.
  std::vector<std::string> shown();
  bool Shown(const std::string& key);

  static std::atomic<bool> interrupted;

 private:
  struct Timer {
    int interval_ms;
    std::chrono::steady_clock::time_point due;
  };
  void DeliverDueTimers();

  os::PostedQueue posted_;
  std::mutex mutex_;  // guards the handlers, the timers and what was shown
  std::map<os::WindowHandle, Handler> handlers_;
  std::map<std::pair<os::WindowHandle, uint32_t>, Timer> timers_;
  std::vector<std::string> shown_;
};

}  // namespace cli
