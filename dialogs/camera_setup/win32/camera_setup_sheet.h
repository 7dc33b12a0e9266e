#pragma once
// CCameraSetupSheet: the modal property sheet "Camera Setup" whose seven
// pages edit a copy of the camera's configuration record; APPLY sends the
// edited record to the camera, CANCEL drops it.
#include <windows.h>

#include <memory>

#include "dialogs/camera_setup/win32/setup_pages.h"
#include "net/camera_setup_info.h"

namespace node {
class CNodeWindow;
}

namespace dialogs {

class CCameraSetupSheet {
 public:
  static constexpr int kPageCount = 7;

  CCameraSetupSheet(HINSTANCE instance, const net::CameraSetupInfo& info);
  ~CCameraSetupSheet();
  CCameraSetupSheet(const CCameraSetupSheet&) = delete;
  CCameraSetupSheet& operator=(const CCameraSetupSheet&) = delete;

  // Runs the sheet modally: IDOK when it ended with APPLY, IDCANCEL
  // otherwise, -1 when it could not be opened.
  INT_PTR DoModal(HWND parent);
  // Creates the sheet modeless and hidden unless `visible` (for tests): it
  // has ended once PropSheet_GetCurrentPageHwnd gives null.
  HWND Create(HWND parent, bool visible = false);
  HWND hwnd() const { return hwnd_; }

  bool applied() const { return state_.applied; }
  // The record as the pages left it.
  const net::CameraSetupInfo& info() const { return state_.info; }
  CCameraSetupPage& Page(int index) { return *pages_[static_cast<size_t>(index)]; }

 private:
  INT_PTR Run(HWND parent, bool modeless, bool visible);
  static int CALLBACK Callback(HWND hwnd, UINT message, LPARAM lparam);

  HINSTANCE instance_;
  SetupSheetState state_;
  std::unique_ptr<CCameraSetupPage> pages_[kPageCount];
  HWND hwnd_ = nullptr;
};

// The sheet may open only for a node that has a user ID, an open video
// connection and a configuration record received from its camera.
bool CanOpenCameraSetup(node::CNodeWindow& node);

// The "Camera Option" command (32792) of a camera view: opens the sheet on a
// copy of the node's record and, when it ends with APPLY, sends the edited
// record (its length by the record's version). Returns 1 when sent, 0 when
// cancelled or not sent, -1 when the sheet did not open.
int ShowCameraSetupSheet(HWND parent, node::CNodeWindow& node);

}  // namespace dialogs
