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

}  // namespace app
