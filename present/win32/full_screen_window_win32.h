#pragma once
// The Win32 full-screen window: a WS_POPUP titled "full screen window" owned
// by the node window, covering the primary screen. Escape is posted to the
// owner as WM_KEYDOWN VK_ESCAPE (the node leaves full-screen mode there);
// Alt+Tab (WM_SYSKEYDOWN VK_TAB) is swallowed. Created and shown on the
// window thread.
#include <windows.h>

#include "present/full_screen_window.h"

namespace present {

class CFullScreenWindow : public FullScreenWindow {
 public:
  explicit CFullScreenWindow(HWND owner) : owner_(owner) {}
  ~CFullScreenWindow() override;
  CFullScreenWindow(const CFullScreenWindow&) = delete;
  CFullScreenWindow& operator=(const CFullScreenWindow&) = delete;

  os::WindowHandle Show() override;
  void Hide() override;
  HWND hwnd() const { return hwnd_; }

 private:
  HWND owner_;
  HWND hwnd_ = nullptr;
};

}  // namespace present
