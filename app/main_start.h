#pragma once
// What the command line asks of a start: entries to connect (with the login
// given, saved or asked for), the hosting server's cameras to open once it
// lists them, recording into --record's folder, and the exit --quit-after
// sets. Windows only; called on the main window's thread.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/start_options.h"

namespace app {

class CServerTree;
class ViewOpener;

class MainStart {
 public:
  // `exit` ends the program as its Exit button does.
  MainStart(const StartOptions& options, CServerTree& tree, ViewOpener& opener, std::function<void()> exit)
      : options_(options), tree_(tree), opener_(opener), exit_(std::move(exit)) {}

  static constexpr UINT kWmRunStartOptions = WM_APP + 42;  // posted at start when there are options
  static constexpr UINT_PTR kQuitTimer = 1;

  void Run(HWND window);
  // --quit-after's wait, in steps a timer holds.
  void OnQuitTimer();
  void StopQuitTimer();
  // Empty without --record: the view does not record.
  std::string RecordingPath(const std::string& name) const;

 private:
  void ConnectEntry(const std::string& name);

  const StartOptions& options_;
  CServerTree& tree_;
  ViewOpener& opener_;
  std::function<void()> exit_;
  HWND window_ = nullptr;
  uint64_t quit_at_ms_ = 0;  // os::MonotonicMs of --quit-after's end
};

}  // namespace app
