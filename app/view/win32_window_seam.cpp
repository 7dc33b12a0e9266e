#include "app/view/win32_window_seam.h"

namespace app::view {
namespace {
bool OwnedByThisThread(HWND hwnd) { return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId(); }
}  // namespace

bool Win32WindowSeam::Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageW(ToHwnd(window), message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam)) != FALSE;
}

void Win32WindowSeam::SetTimer(os::WindowHandle window, uint32_t id, int interval_ms) {
  HWND hwnd = ToHwnd(window);
  if (OwnedByThisThread(hwnd))
    ::SetTimer(hwnd, id, static_cast<UINT>(interval_ms), nullptr);
  else
    PostMessageW(hwnd, kWmSetTimer, id, interval_ms);
}

void Win32WindowSeam::KillTimer(os::WindowHandle window, uint32_t id) {
  HWND hwnd = ToHwnd(window);
  if (OwnedByThisThread(hwnd))
    ::KillTimer(hwnd, id);
  else
    PostMessageW(hwnd, kWmKillTimer, id, 0);
}

}  // namespace app::view
