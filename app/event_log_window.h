#pragma once
// The "Event Log" window: what happened to every view and the hosting
// connection, newest first, with its time, camera and text; a camera
// filter; Copy puts the rows shown on the clipboard. Modeless, opened from
// the main window's tray menu and system menu; it reads the log once a
// second when it changed, keeping the row chosen, the rows scrolled to and
// an open drop-down as they were. Window thread only.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/event_rows.h"
#include "node/events/event_log.h"
#include "os/win32/dialog.h"
#include "os/win32/list_view.h"

namespace app {

class CEventLogWindow : public win32::CDialogBase {
 public:
  CEventLogWindow(HINSTANCE instance, const node::EventLog& log);
  // Shows the window (creating it the first time) in front.
  void Show(HWND owner);
  // Reads the log again now (tests; the timer does it otherwise).
  void Refresh();
  // The camera the list is limited to; empty: every camera.
  void SetFilter(const std::string& camera);
  const win32::ListView& list() const { return list_; }
  // What Copy puts on the clipboard.
  std::string CopyText() const;

  static constexpr UINT_PTR kRefreshTimer = 1;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnOK() override {}  // Enter in the list leaves the window open

 private:
  void FillCameras();
  void FillRows();
  void Copy();

  const node::EventLog& log_;
  win32::ListView list_;
  EventFilter filter_;
  // The cameras the drop-down lists after "All cameras", as it shows them:
  // a choice is read against these, never against the log's list of now.
  std::vector<std::string> listed_;
  // The entry of each row shown, to keep the chosen and the top row.
  std::vector<uint64_t> row_serials_;
  uint64_t seen_changes_ = ~uint64_t{0};
};

}  // namespace app
