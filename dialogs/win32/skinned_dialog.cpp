#include "dialogs/win32/skinned_dialog.h"

#include <windowsx.h>

namespace dialogs {

CSkinnedDialog::CSkinnedDialog(HINSTANCE instance, int template_id, const skin::SkinnedWindow& skin_window,
                               std::string program_dir)
    : CDialogBase(instance, template_id), skin_window_(skin_window), program_dir_(std::move(program_dir)) {}

void CSkinnedDialog::ApplySkin() {
  skin_.Register(skin_window_.items);
  skin_.LoadSkinFile(program_dir_ + skin_window_.skin_file);
  skin_.DoSkins(hwnd());
}

POINT CSkinnedDialog::ScreenPoint(LPARAM lparam) const {
  POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ClientToScreen(hwnd(), &p);
  return p;
}

void CSkinnedDialog::BeginDrag(LPARAM lparam) {
  SetCapture(hwnd());
  dragging_ = true;
  last_ = ScreenPoint(lparam);
}

void CSkinnedDialog::ContinueDrag(LPARAM lparam) {
  if (!dragging_ || GetCapture() != hwnd()) return;
  const POINT now = ScreenPoint(lparam);
  const int dx = now.x - last_.x, dy = now.y - last_.y;
  last_ = now;
  if (dx != 0 || dy != 0) DragBy(dx, dy);
}

void CSkinnedDialog::DragBy(int dx, int dy) {
  RECT r;
  GetWindowRect(hwnd(), &r);
  SetWindowPos(hwnd(), nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CSkinnedDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      if (!skin_.applied()) break;
      return TRUE;
    case WM_PAINT: {
      if (!skin_.applied()) break;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      skin_.PaintBackground(dc);
      EndPaint(hwnd(), &ps);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      BeginDrag(lparam);
      return TRUE;
    case WM_MOUSEMOVE:
      if (wparam & MK_LBUTTON) ContinueDrag(lparam);
      return TRUE;
    case WM_LBUTTONUP:
      if (dragging_ && GetCapture() == hwnd()) ReleaseCapture();
      dragging_ = false;
      return TRUE;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      break;
    default:
      break;
  }
  return CDialogBase::HandleMessage(message, wparam, lparam);
}

}  // namespace dialogs
