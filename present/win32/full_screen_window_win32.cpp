#include "present/win32/full_screen_window_win32.h"

namespace present {

namespace {
const wchar_t kClassName[] = L"HalyardFullScreenWindow";

LRESULT CALLBACK FullScreenProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN && wparam == VK_ESCAPE) {
    PostMessageW(GetWindow(hwnd, GW_OWNER), WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  }
  if (message == WM_SYSKEYDOWN && wparam == VK_TAB) return 0;  // no Alt+Tab away from full screen
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FullScreenProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}
}  // namespace

CFullScreenWindow::~CFullScreenWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

os::WindowHandle CFullScreenWindow::Show() {
  // The monitor the view is on, which need not be the primary one.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor)) r = monitor.rcMonitor;
  if (!hwnd_) {
    RegisterOnce();
    hwnd_ = CreateWindowExW(0, kClassName, L"full screen window", WS_POPUP, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  if (hwnd_) {
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
  }
  return reinterpret_cast<os::WindowHandle>(hwnd_);
}

void CFullScreenWindow::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

}  // namespace present
