#pragma once
// A view's recording: the file --record asked for, started once the camera
// has described its pictures; the "Record" toggle; why the last recording
// failed, for the status line; and snapshots of the picture as shown. On
// the view's thread.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/view/camera_binding.h"
#include "app/view/file_chooser.h"
#include "app/view_host.h"

namespace app::view {

// The folder of the last recording started in this program, where
// snapshots and recordings on motion go unless the user chooses otherwise.
std::string& LastRecordingFolder();
// The folder part of a path; empty when it has none.
std::string FolderOf(const std::string& path);

class ViewRecording {
 public:
  ViewRecording(CameraBinding& binding, const ViewRequest& request, FileChooser& chooser)
      : binding_(binding), request_(request), chooser_(chooser) {}

  // The file the view was opened to record into; true when it started now.
  bool MaybeStartRequested(bool has_camera);
  // "Record": the recording stops or starts (the user chooses its file).
  void Toggle();
  // Why the last recording (the user's or the one on motion) stopped, did
  // not start or could not be finished; empty when there is nothing to tell.
  std::string FailureText(uint64_t now_ms);
  // The picture as shown, into a file the user chooses; a beep when there is none yet.
  void TakeSnapshot(HWND owner, const std::string& display_name, std::vector<uint8_t> picture, int width,
                    int height);

 private:
  CameraBinding& binding_;
  const ViewRequest& request_;
  FileChooser& chooser_;
  bool requested_started_ = false;
  uint32_t failure_serial_ = 0;  // the recorder's last failure already taken
  std::string failure_;
  uint64_t failure_until_ms_ = 0;
};

}  // namespace app::view
