#pragma once
// The main window's icon in the notification area: the application's icon
// and name; mouse actions on it come to the window as `callback_message`.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace app {

constexpr UINT kWmTrayCallback = 1224;

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  bool Add(HWND window, HICON icon, const std::string& tip, UINT callback_message);
  void Remove();
  bool added() const { return added_; }

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

}  // namespace app
