#pragma once
// Key presses for the open camera views, decided before anything else sees
// them: a message hook on the window's thread hands each key press to the
// view it belongs to, whichever window of the view has the focus and
// whichever message loop runs (the main window's modal loop, a menu). It
// also routes the keys of a view's modeless dialog to that dialog, since
// the main window's modal loop hands only its own dialog to IsDialogMessage.
#include <windows.h>

namespace app {

class ViewList;

class ViewKeyHook {
 public:
  // Installs the hook on the calling thread, in front of any hook installed
  // there before, which gets its keys back when this one goes.
  explicit ViewKeyHook(const ViewList& views);
  ~ViewKeyHook();
  ViewKeyHook(const ViewKeyHook&) = delete;
  ViewKeyHook& operator=(const ViewKeyHook&) = delete;

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wparam, LPARAM lparam);
  // True when the message was consumed.
  bool Route(MSG* msg) const;
  bool ForViewDialog(MSG* msg) const;

  const ViewList& views_;
  HHOOK hook_ = nullptr;
  ViewKeyHook* previous_ = nullptr;
};

}  // namespace app
