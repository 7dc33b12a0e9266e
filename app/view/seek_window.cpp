#include "app/view/seek_window.h"

#include <commctrl.h>

#include "app/view/view_resource.h"
#include "app/view/view_texts.h"
#include "os/win32/text.h"
#include "settings/message_format.h"
#include "settings/win32/ini_handler.h"

namespace app::view {
namespace {
// The skin's flat body and its text colours (the skin bitmaps are drawn in these).
constexpr COLORREF kSkinBody = RGB(0x22, 0x26, 0x2C);
constexpr COLORREF kSkinText = RGB(0xE6, 0xE9, 0xED);
constexpr int kTimeHeight = 16;
}  // namespace

CSeekWindow::CSeekWindow(HINSTANCE instance, std::string program_dir, node::CameraControl& control)
    : CSkinnedDialog(instance, IDD_SEEK_WINDOW, skin::kSeekSliderSkin, std::move(program_dir)), control_(control) {}

CSeekWindow::~CSeekWindow() {
  if (hwnd()) DestroyWindow(hwnd());
  if (body_brush_) DeleteObject(body_brush_);
}

BOOL CSeekWindow::OnInitDialog() {
  ApplySkin();
  SendDlgItemMessageW(hwnd(), kSliderId, TBM_SETRANGE, FALSE, MAKELPARAM(0, record::SeekSliderState::kRange));
  PlaceTime();
  RouteDialogKeys();
  return FALSE;
}

// The skin places the slider; the time goes in the strip below it.
void CSeekWindow::PlaceTime() {
  if (!skin().applied()) return;
  HWND slider = GetDlgItem(hwnd(), kSliderId);
  RECT r;
  GetWindowRect(slider, &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  MoveWindow(GetDlgItem(hwnd(), kTimeId), r.left, r.bottom + 2, r.right - r.left, kTimeHeight, FALSE);
  body_brush_ = CreateSolidBrush(kSkinBody);
}

std::string CSeekWindow::TimeText() const {
  wchar_t text[64] = {};
  GetDlgItemTextW(hwnd(), kTimeId, text, 64);
  return win32::Narrow(text);
}

void CSeekWindow::ShowTime() {
  const settings::TextId& format = state_.dragging() ? kSeekTimeHeld : kSeekTime;
  const std::string text = settings::FormatUserMessage(
      settings::IniHandler::Instance().GetString(format),
      {record::SeekSliderState::FormatTime(state_.ShownTime()), record::SeekSliderState::FormatTime(state_.length())});
  if (text == TimeText()) return;
  SetDlgItemTextW(hwnd(), kTimeId, win32::Widen(text).c_str());
}

void CSeekWindow::Open(HWND owner, POINT at, uint32_t channel, uint64_t length, uint64_t position) {
  if (!hwnd() && !Create(owner)) return;
  KillTimer(hwnd(), kHoldTimer);
  ShowSlider(state_.Open(channel, length, position));
  ShowTime();
  SetWindowPos(hwnd(), HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE);
  ShowWindow(hwnd(), SW_SHOW);
}

void CSeekWindow::OnPosition(uint64_t position) {
  const int value = state_.OnPosition(position);
  if (!hwnd()) return;
  if (value >= 0) ShowSlider(value);
  ShowTime();
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
  const int slider = SliderPosition();
  if (code != TB_ENDTRACK) {
    state_.OnDrag(slider);
    ShowTime();
    return;
  }
  state_.OnRelease(slider);
  control_.Seek(slider);
  ShowTime();
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
        ShowTime();
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      // On the skin the time reads light on the body's own colour.
      if (body_brush_ && reinterpret_cast<HWND>(lparam) == GetDlgItem(hwnd(), kTimeId)) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, kSkinText);
        SetBkColor(dc, kSkinBody);
        return reinterpret_cast<INT_PTR>(body_brush_);
      }
      break;
    default:
      break;
  }
  return CSkinnedDialog::HandleMessage(message, wparam, lparam);
}

}  // namespace app::view
