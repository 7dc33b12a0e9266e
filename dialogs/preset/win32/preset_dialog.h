#pragma once
// The preset dialog (template 200 "Preset Dialog"): the remote-control panel
// of one camera view. Each button sends its message through the camera's
// control at once; while the panel has the keyboard the arrow keys step the camera
// like the arrow buttons and go no further. Six buttons are drawn from the
// program's bitmaps. Modeless: the view owns the object, Open shows it.
#include <windows.h>

#include <array>
#include <memory>

#include "dialogs/preset/win32/preset_prompts.h"
#include "os/win32/dialog.h"
#include "skin/win32/skin_button.h"

namespace node {
class CameraControl;
}

namespace dialogs {

class CPresetDialog : public win32::CDialogBase {
 public:
  static constexpr int kBitmapButtons = 6;

  CPresetDialog(HINSTANCE instance, node::CameraControl& control, PresetPrompts& prompts = PresetPrompts::Default());
  ~CPresetDialog() override;

  // Shows the panel, creating it owned by `parent` the first time.
  HWND Open(HWND parent);
  // The bitmap buttons took their faces.
  bool skinned() const;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void SetCaptions();
  void SkinButtons();
  void ListenForArrowKeys();
  // Sends the step of an arrow key; false for any other key.
  bool ArrowKey(WPARAM key);
  static LRESULT CALLBACK KeyProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                  DWORD_PTR self);

  node::CameraControl& control_;
  PresetPrompts& prompts_;
  std::array<std::unique_ptr<skin::CSkinButton>, kBitmapButtons> buttons_;
};

// The "(etc)" entry (33000) of a camera view's "Preset Goto" menu, and the
// panel's "Preset Goto" button: the number dialog with the maximum 39, then
// the preset command 2 with number - 1. False when cancelled.
bool RunPresetGoto(HWND parent, node::CameraControl& control, PresetPrompts& prompts = PresetPrompts::Default());

}  // namespace dialogs
