#pragma once
// The repair of recordings the last run left cut off: started once the main
// window is up, run on a thread of its own, shown as a status line under
// the server tree while it runs, and told to the user in one message and
// the event log at its end. Windows only; called on the main window's thread.
#include <windows.h>

#include <memory>
#include <string>

#include "os/window_seam.h"
#include "record/startup_repair.h"

namespace node {
class EventLog;
}  // namespace node

namespace app {

class MainRepair {
 public:
  // From the repair's thread to the main window: recordings left (wparam), and its end.
  static constexpr UINT kWmRepairProgress = WM_APP + 43;
  static constexpr UINT kWmRepairDone = WM_APP + 44;

  MainRepair(HINSTANCE instance, node::EventLog& log) : instance_(instance), log_(log) {}
  ~MainRepair() { Stop(); }

  // Starts on `list` and `sources`, reporting to `window` through `poster`;
  // the status line takes the bottom of `tree`.
  void Start(record::OpenRecordingList& list, const record::StartupRepairSources& sources, os::WindowPoster& poster,
             HWND window, HWND tree);
  // Stops at the next sample; what is not done stays listed for the next start.
  void Stop() { repair_.reset(); }
  void OnProgress(size_t left);
  void OnDone();
  // The status line's text; empty while none is shown.
  std::string status() const;
  // The repair has reported its end.
  bool done() const { return done_; }

 private:
  void HideStatus();

  HINSTANCE instance_;
  node::EventLog& log_;
  std::unique_ptr<record::StartupRepair> repair_;
  HWND window_ = nullptr, tree_ = nullptr;
  HWND status_ = nullptr;  // the status line, while the repair runs
  bool done_ = false;
};

}  // namespace app
