#pragma once
// The display: the rectangle of the monitor a window is on (or nearest to),
// the work areas (without the taskbar) of all present, and the scale of its
// DPI.
#include <windows.h>

#include <vector>

#include "os/screen_rect.h"

namespace win32 {

os::ScreenRect MonitorOf(HWND window);
// Every present monitor's work area, the primary's first.
std::vector<os::ScreenRect> WorkAreas();
// Whether most of the window is on the primary monitor (the one at 0, 0).
bool OnPrimaryMonitor(HWND window);
// Every present monitor's whole rectangle, in the same order.
std::vector<os::ScreenRect> MonitorRects();

// The display's DPI as a percentage of 96, the DPI the skins and the fixed
// pixel layouts are drawn for: 150 at 144 DPI. Windows tells a program that
// has not declared itself DPI-aware 96 (and stretches its windows itself), so
// such a program keeps 100.
int DisplayScalePercent();
// A length of those layouts at the display's DPI.
int ScaledPixels(int pixels);

}  // namespace win32
