#pragma once
// The window seam for a camera view: posted messages go through
// PostMessage; timers are the window's own. SetTimer only works for a
// window of the calling thread, so a timer asked for from any other thread
// reaches the window as a private message and is set there.
#include <windows.h>

#include "os/window_seam.h"

namespace app::view {

// Private messages of the view window (the window procedure sets or kills
// the timer they name).
constexpr UINT kWmSetTimer = WM_APP + 1;   // wParam timer id, lParam interval
constexpr UINT kWmKillTimer = WM_APP + 2;  // wParam timer id

class Win32WindowSeam : public os::WindowPoster, public os::WindowTimers {
 public:
  bool Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override;
  void SetTimer(os::WindowHandle window, uint32_t id, int interval_ms) override;
  void KillTimer(os::WindowHandle window, uint32_t id) override;
};

inline HWND ToHwnd(os::WindowHandle h) { return reinterpret_cast<HWND>(h); }
inline os::WindowHandle ToHandle(HWND h) { return reinterpret_cast<os::WindowHandle>(h); }

}  // namespace app::view
