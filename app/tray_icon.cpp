#include "app/tray_icon.h"

#include <algorithm>

#include "os/win32/text.h"

namespace app {

bool TrayIcon::Add(HWND window, HICON icon, const std::string& tip, UINT callback_message) {
  Remove();
  data_ = {};
  data_.cbSize = sizeof data_;
  data_.hWnd = window;
  data_.uID = 1;
  data_.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data_.uCallbackMessage = callback_message;
  data_.hIcon = icon;
  const std::wstring wide = win32::Widen(tip);
  const size_t n = std::min(wide.size(), std::size(data_.szTip) - 1);
  std::copy_n(wide.begin(), n, data_.szTip);
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return added_;
}

void TrayIcon::Remove() {
  if (added_) Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

bool TrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  if (!added_) return false;
  NOTIFYICONDATAW balloon = data_;
  balloon.uFlags = NIF_INFO;
  balloon.dwInfoFlags = NIIF_INFO;
  const std::wstring wide_title = win32::Widen(title), wide_text = win32::Widen(text);
  const size_t title_n = std::min(wide_title.size(), std::size(balloon.szInfoTitle) - 1);
  const size_t text_n = std::min(wide_text.size(), std::size(balloon.szInfo) - 1);
  std::copy_n(wide_title.begin(), title_n, balloon.szInfoTitle);
  balloon.szInfoTitle[title_n] = 0;
  std::copy_n(wide_text.begin(), text_n, balloon.szInfo);
  balloon.szInfo[text_n] = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
}

}  // namespace app
