#pragma once
// The save dialogs a camera view opens: the recording's file and the
// snapshot's. Tests put a chooser of their own in their place.
#include <windows.h>

#include <string>

namespace app::view {

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // Filter "(*.mp4)|*.mp4;||", default extension "mp4", read-only box
  // hidden, overwrite confirmed. False on Cancel.
  virtual bool ChooseRecording(HWND owner, std::string* path) = 0;
  // PNG or BMP, starting in `folder` (empty: the dialog's own choice) with
  // `name` filled in, overwrite confirmed. False on Cancel.
  virtual bool ChooseSnapshot(HWND owner, const std::string& folder, const std::string& name, std::string* path) = 0;
};

// The common save dialog.
class SaveDialogs : public FileChooser {
 public:
  bool ChooseRecording(HWND owner, std::string* path) override;
  bool ChooseSnapshot(HWND owner, const std::string& folder, const std::string& name, std::string* path) override;
};

// "A|b|C|d||" (the framework's filter form) as the dialog's NUL-separated list.
std::wstring DialogFilter(const std::string& bars);

}  // namespace app::view
