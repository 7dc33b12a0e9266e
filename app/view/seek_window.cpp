#include "app/view/seek_window.h"

#include <commctrl.h>

#include "app/view/view_resource.h"

namespace app::view {

CSeekWindow::CSeekWindow(HINSTANCE instance, std::string program_dir, node::CNodeWindow& node)
    : CSkinnedDialog(instance, IDD_SEEK_WINDOW, skin::kSeekSliderSkin, std::move(program_dir)), node_(node) {}

CSeekWindow::~CSeekWindow() {
  if (hwnd()) DestroyWindow(hwnd());
}

BOOL CSeekWindow::OnInitDialog() {
  ApplySkin();
  SendDlgItemMessageW(hwnd(), kSliderId, TBM_SETRANGE, FALSE, MAKELPARAM(0, record::SeekSliderState::kRange));
  return FALSE;
}

void CSeekWindow::Open(HWND owner, POINT at, uint32_t channel, uint64_t length, uint64_t position) {
  if (!hwnd() && !Create(owner)) return;
  KillTimer(hwnd(), kHoldTimer);
  ShowSlider(state_.Open(channel, length, position));
  SetWindowPos(hwnd(), HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE);
  ShowWindow(hwnd(), SW_SHOW);
}

void CSeekWindow::OnPosition(uint64_t position) {
  const int value = state_.OnPosition(position);
  if (value >= 0 && hwnd()) ShowSlider(value);
}

int CSeekWindow::SliderPosition() const {
  return static_cast<int>(SendDlgItemMessageW(hwnd(), kSliderId, TBM_GETPOS, 0, 0));
}

void CSeekWindow::ShowSlider(int value) {
  if (value == SliderPosition()) return;
  SendDlgItemMessageW(hwnd(), kSliderId, TBM_SETPOS, TRUE, value);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

// Any movement holds the slider; its release seeks, and the slider stays
// where it was let go while the server restarts the file.
void CSeekWindow::OnScroll(int code) {
  if (code != TB_ENDTRACK) {
    state_.OnDrag();
    return;
  }
  const int slider = SliderPosition();
  state_.OnRelease(slider);
  node_.Seek(slider);
  SetTimer(hwnd(), kHoldTimer, record::SeekSliderState::kHoldMs, nullptr);
}

bool CSeekWindow::OnCommand(int id, int code, HWND control) {
  if (id == kCloseId && code == BN_CLICKED) {
    ShowWindow(hwnd(), SW_HIDE);
    return true;
  }
  return CSkinnedDialog::OnCommand(id, code, control);
}

INT_PTR CSeekWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(hwnd(), kSliderId)) {
        OnScroll(LOWORD(wparam));
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wparam == kHoldTimer) {
        KillTimer(hwnd(), kHoldTimer);
        state_.OnHoldOver();
        return TRUE;
      }
      break;
    default:
      break;
  }
  return CSkinnedDialog::HandleMessage(message, wparam, lparam);
}

}  // namespace app::view
