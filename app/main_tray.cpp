#include "app/main_tray.h"

#include "app/alerts/alert_texts.h"
#include "app/recordings/recordings_texts.h"
#include "app/resource.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app {
namespace {

constexpr char kApplicationName[] = "Halyard";

HICON LoadAppIcon(HINSTANCE instance, int width_metric, int height_metric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                       GetSystemMetrics(width_metric), GetSystemMetrics(height_metric), 0));
}

void SetItemText(HMENU menu, UINT id, const settings::TextId& text, UINT flags = 0) {
  const std::wstring wide = win32::Widen(settings::IniHandler::Instance().GetString(text));
  ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING | flags, id, wide.c_str());
}

}  // namespace

MainTray::~MainTray() {
  icon_.Remove();
  if (big_) DestroyIcon(big_);
  if (small_) DestroyIcon(small_);
}

void MainTray::SetIcons(HINSTANCE instance, HWND window) {
  instance_ = instance;
  window_ = window;
  big_ = LoadAppIcon(instance, SM_CXICON, SM_CYICON);
  small_ = LoadAppIcon(instance, SM_CXSMICON, SM_CYSMICON);
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_));
}

void MainTray::Add() { icon_.Add(window_, small_, kApplicationName, kWmTrayCallback); }

void MainTray::Hide() {
  if (!icon_.added()) Add();
  ShowWindow(window_, icon_.added() ? SW_HIDE : SW_MINIMIZE);
}

void MainTray::ShowWindowFromTray() {
  if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void MainTray::OnCallback(LPARAM mouse_message, bool alerts_armed) {
  switch (LOWORD(mouse_message)) {
    case WM_LBUTTONDBLCLK:
      ShowWindowFromTray();
      break;
    case WM_RBUTTONUP: {
      SetForegroundWindow(window_);
      HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TRAY_MENU));
      POINT p;
      GetCursorPos(&p);
      if (menu) {
        HMENU items = GetSubMenu(menu, 0);
        SetItemText(items, ID_EVENT_LOG, settings::text::kEventLogCaption);
        SetItemText(items, ID_RECORDINGS, recordings::kRecordingsCaption);
        SetItemText(items, ID_ARM_ALERTS, alerts::kAlertsArmAll, alerts_armed ? MF_CHECKED : 0);
        TrackPopupMenu(items, TPM_RIGHTBUTTON, p.x, p.y, 0, window_, nullptr);
        DestroyMenu(menu);
      }
      // Lets the menu close when the user clicks elsewhere.
      PostMessageW(window_, WM_NULL, 0, 0);
      break;
    }
    default:
      break;
  }
}

void MainTray::PaintIconic() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  RECT r{};
  GetClientRect(window_, &r);
  const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (r.right - cx + 1) / 2, (r.bottom - cy + 1) / 2, big_);
  EndPaint(window_, &ps);
}

}  // namespace app
