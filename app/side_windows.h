#pragma once
// The main window's two windows beside it, made the first time they are
// asked for: the "Event Log" and the "Recordings" window, which plays
// through the program's sound output and so closes before it. Windows only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/event_log_window.h"
#include "app/recordings/recordings_window.h"

namespace app {

class SideWindows {
 public:
  // `sources` says, when the Recordings window shows, where it looks.
  SideWindows(HINSTANCE instance, const node::EventLog& log, std::function<recordings::RecordingsSources()> sources)
      : instance_(instance), log_(log), sources_(std::move(sources)) {}

  void ShowEventLog(HWND owner);
  void ShowRecordings(HWND owner);
  // "Play Back...": the Recordings window at the camera's last minutes.
  void PlayBack(HWND owner, const std::vector<std::string>& names);
  // The tray menu's and the system menu's items for them; false for any other.
  bool OnCommand(HWND owner, UINT id);
  // Both windows end (the player stops before the sound output closes).
  void Close();
  CEventLogWindow* event_log() { return event_log_.get(); }
  recordings::CRecordingsWindow* recordings() { return recordings_.get(); }

 private:
  HINSTANCE instance_;
  const node::EventLog& log_;
  std::function<recordings::RecordingsSources()> sources_;
  std::unique_ptr<CEventLogWindow> event_log_;
  std::unique_ptr<recordings::CRecordingsWindow> recordings_;
};

}  // namespace app
