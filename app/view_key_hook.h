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

// While one exists for a list, that list's views get their keys. A thread
// holds one Windows hook however many lists it has, so that no key press is
// routed twice.
class ViewKeyHook {
 public:
  explicit ViewKeyHook(const ViewList& views);
  ~ViewKeyHook();
  ViewKeyHook(const ViewKeyHook&) = delete;
  ViewKeyHook& operator=(const ViewKeyHook&) = delete;

 private:
  const ViewList& views_;
};

}  // namespace app
