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
  // A balloon by the icon (an alert): the title and one line of text.
  bool ShowBalloon(const std::string& title, const std::string& text);
  bool added() const { return added_; }

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

}  // namespace app
