#pragma once
// The main window's icons and its place in the notification area: the
// application's icon on the window, in the tray and drawn when minimised;
// the tray icon's double click shows the window, its right click the tray
// menu (show, event log, recordings, arm alerts, exit). Windows only.
#include <windows.h>

#include <string>

#include "app/tray_icon.h"

namespace app {

class MainTray {
 public:
  MainTray() = default;
  ~MainTray();
  MainTray(const MainTray&) = delete;
  MainTray& operator=(const MainTray&) = delete;

  // Loads the icons and gives them to `window`, whose tray icon this is.
  void SetIcons(HINSTANCE instance, HWND window);
  // The tray icon (again, after the shell's restart took it).
  void Add();
  void Remove() { icon_.Remove(); }
  bool added() const { return icon_.added(); }
  bool ShowBalloon(const std::string& title, const std::string& text) { return icon_.ShowBalloon(title, text); }
  // Hidden, only the tray icon brings the window back: without one it is minimised.
  void Hide();
  // Mouse actions on the tray icon; `alerts_armed` checks the menu's switch.
  void OnCallback(LPARAM mouse_message, bool alerts_armed);
  // Shows the window as the tray icon's double click does.
  void ShowWindowFromTray();
  // A minimised window draws its icon.
  void PaintIconic();

 private:
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  TrayIcon icon_;
  HICON big_ = nullptr, small_ = nullptr;
};

}  // namespace app
