#include "os/win32/monitors.h"

namespace win32 {
namespace {

os::ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Each monitor's work area or whole rectangle, the primary's first.
template <bool kWhole>
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  auto* list = reinterpret_cast<std::vector<os::ScreenRect>*>(areas);
  const os::ScreenRect rect = ToScreenRect(kWhole ? info.rcMonitor : info.rcWork);
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    list->insert(list->begin(), rect);
  else
    list->push_back(rect);
  return TRUE;
}

}  // namespace

os::ScreenRect MonitorOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return ToScreenRect(info.rcMonitor);
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::vector<os::ScreenRect> WorkAreas() {
  std::vector<os::ScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor<false>, reinterpret_cast<LPARAM>(&areas));
  if (areas.empty()) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    areas.push_back(ToScreenRect(work));
  }
  return areas;
}

bool OnPrimaryMonitor(HWND window) {
  return MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) == MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

std::vector<os::ScreenRect> MonitorRects() {
  std::vector<os::ScreenRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor<true>, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) monitors.push_back({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  return monitors;
}

int DisplayScalePercent() {
  static const int percent = [] {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 96 ? dpi * 100 / 96 : 100;
  }();
  return percent;
}

int ScaledPixels(int pixels) { return MulDiv(pixels, DisplayScalePercent(), 100); }

}  // namespace win32
