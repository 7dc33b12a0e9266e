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
  if (m_hwnd) DestroyWindow(m_hwnd);
}

os::WindowHandle CFullScreenWindow::Show() {
  if (!m_hwnd) {
    RegisterOnce();
    m_hwnd = CreateWindowExW(0, kClassName, L"full screen window", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                             GetSystemMetrics(SM_CYSCREEN), m_owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  if (m_hwnd) {
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
  }
  return reinterpret_cast<os::WindowHandle>(m_hwnd);
}

void CFullScreenWindow::Hide() {
  if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
}

}  // namespace present
