#pragma once
// A dialog drawn from a skin file beside the program: registers its window's
// items, loads and applies the skin, paints the skin's background, and is
// dragged by its body (the left button anywhere on the panel moves the
// window with the pointer until it is released). Without a usable skin file
// the template layout stays and the dialog paints as any dialog.
#include <windows.h>

#include <string>

#include "os/win32/dialog.h"
#include "skin/win32/skin_set.h"
#include "skin/window_items.h"

namespace dialogs {

class CSkinnedDialog : public win32::CDialogBase {
 public:
  CSkinnedDialog(HINSTANCE instance, int template_id, const skin::SkinnedWindow& skin_window,
                 std::string program_dir);

  skin::SkinSet& skin() { return skin_; }
  bool dragging() const { return dragging_; }

 protected:
  // Registers the items in their order, loads the program directory plus
  // the window's skin file and applies it.
  void ApplySkin();
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // The window is about to move by (dx, dy) while dragged; the default moves it.
  virtual void DragBy(int dx, int dy);
  const std::string& program_dir() const { return program_dir_; }

 private:
  void BeginDrag(LPARAM lparam);
  void ContinueDrag(LPARAM lparam);
  POINT ScreenPoint(LPARAM lparam) const;

  const skin::SkinnedWindow& skin_window_;
  std::string program_dir_;
  skin::SkinSet skin_;
  bool dragging_ = false;
  POINT last_{0, 0};
};

}  // namespace dialogs
