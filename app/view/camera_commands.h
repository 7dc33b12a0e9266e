#pragma once
// The view menu's requests to the camera itself: as the node's typed calls
// (video input, quality, preset 1-9, reboot, reconnect) or through the
// camera's dialogs (its settings, the presets, the remote-control panel,
// the seek window of a stored file), each sending through the node's
// Control(). The panel and the seek window are modeless, one per view. On
// the view's thread.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/view/camera_binding.h"
#include "app/view/seek_window.h"

namespace dialogs {
class CPresetDialog;
}

namespace app::view {

class CameraCommands {
 public:
  CameraCommands(HINSTANCE instance, std::string program_dir, CameraBinding& binding);
  ~CameraCommands();
  CameraCommands(const CameraCommands&) = delete;
  CameraCommands& operator=(const CameraCommands&) = delete;

  // A request sent as the node's typed call; false for any other command.
  bool OnRequest(UINT id);
  // A command that opens a dialog owned by `owner`; false for any other.
  bool OnDialogCommand(UINT id, HWND owner);
  // The file's position, for the seek window.
  void OnPosition(uint64_t position);
  // The dialogs go (the view closes).
  void CloseDialogs();
  // Once "Random Access" has opened it; else null.
  CSeekWindow* seek_window() const { return seek_window_.get(); }

 private:
  void OpenPresetPanel(HWND owner);
  void OpenSeekWindow(HWND owner);

  HINSTANCE instance_;
  const std::string program_dir_;
  CameraBinding& binding_;
  std::unique_ptr<dialogs::CPresetDialog> preset_panel_;
  std::unique_ptr<CSeekWindow> seek_window_;
};

}  // namespace app::view
