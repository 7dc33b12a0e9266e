#pragma once
// The option sheet's first page: "Show Background", which shows or hides the
// main window's parent window (the viewer's main window has no parent, so
// the choice is stored and nothing else acts on it); "Keep reconnecting",
// which open direct views follow from their next attempt; and "Draw video
// without DirectDraw", which open views follow at once.
#include <windows.h>

#include "os/win32/dialog.h"

namespace dialogs {

class CViewerOptionPage : public win32::CPropertyPageBase {
 public:
  // `background`: the main window's parent window, or null.
  CViewerOptionPage(HINSTANCE instance, HWND background);

  bool opened() const { return opened_; }
  bool show_background() const { return show_background_; }
  // "Keep reconnecting" as stored (read when the page opened, written on OK).
  bool keep_reconnecting() const { return keep_reconnecting_; }
  // "Draw video without DirectDraw" as stored.
  bool draw_through_gdi() const { return draw_through_gdi_; }
  // OK reached this page.
  bool applied() const { return applied_; }

 protected:
  BOOL OnInitDialog() override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;

 private:
  HWND background_;
  bool opened_ = false;
  bool show_background_ = false;
  bool keep_reconnecting_ = true;
  bool draw_through_gdi_ = false;
  bool applied_ = false;
};

}  // namespace dialogs
