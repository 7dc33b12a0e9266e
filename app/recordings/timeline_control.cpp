#include "app/recordings/timeline_control.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "os/local_time.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app::recordings {
namespace {

constexpr wchar_t kTimelineClass[] = L"HalyardTimeline";
constexpr COLORREF kBackground = RGB(32, 32, 36);
constexpr COLORREF kRecorded = RGB(70, 110, 170);
constexpr COLORREF kMotion = RGB(240, 160, 40);
constexpr COLORREF kEvent = RGB(220, 50, 50);
constexpr COLORREF kMarked = RGB(60, 140, 80);
constexpr COLORREF kRuler = RGB(200, 200, 200);
constexpr int kMarkGrip = 4;  // pixels either side of a mark that take it

void Fill(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  const RECT r{x0, y0, x1, y1};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

std::wstring Clock(int64_t ms, bool seconds) {
  return win32::Widen(os::FormatLocalTime(seconds ? "%H:%M:%S" : "%H:%M", static_cast<std::time_t>(ms / 1000)));
}

}  // namespace

TimelineControl::TimelineControl(HWND parent, int id) : parent_(parent), id_(id) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc = {};
  if (!GetClassInfoW(instance, kTimelineClass, &wc)) {
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kTimelineClass;
    RegisterClassW(&wc);
  }
  hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, kTimelineClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TimelineControl::~TimelineControl() {
  if (!hwnd_) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

void TimelineControl::SetDay(int64_t begin, int64_t end) {
  scale_.SetDay(begin, end);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TimelineControl::SetRows(std::vector<Row> rows) {
  rows_ = std::move(rows);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TimelineControl::SetPosition(int64_t time) {
  if (time == position_) return;
  position_ = time;
  if (dragging_ == Dragging::kNone) scale_.Reveal(time);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TimelineControl::SetMarks(int64_t from, int64_t to) {
  mark_from_ = from;
  mark_to_ = to;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TimelineControl::Zoom(int steps, int x) {
  scale_.Zoom(steps, x);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TimelineControl::Notify(WORD code) {
  SendMessageW(parent_, WM_COMMAND, MAKEWPARAM(id_, code), reinterpret_cast<LPARAM>(hwnd_));
}

void TimelineControl::ContextMenu(POINT screen) {
  if (screen.x == -1 && screen.y == -1) {
    menu_row_ = 0;
    menu_time_ = position_;
    menu_point_ = {scale_.XAt(position_), kRulerHeight + kRowHeight / 2};
    ClientToScreen(hwnd_, &menu_point_);
  } else {
    POINT client = screen;
    ScreenToClient(hwnd_, &client);
    menu_row_ = client.y < kRulerHeight ? -1 : (client.y - kRulerHeight) / kRowHeight;
    menu_time_ = scale_.TimeAt(client.x);
    menu_point_ = screen;
  }
  if (menu_row_ >= 0 && menu_row_ < static_cast<int>(rows_.size())) Notify(kMenu);
}

void TimelineControl::Press(int x) {
  SetFocus(hwnd_);
  SetCapture(hwnd_);
  if (mark_from_ && std::abs(scale_.XAt(mark_from_) - x) <= kMarkGrip)
    dragging_ = Dragging::kFrom;
  else if (mark_to_ && std::abs(scale_.XAt(mark_to_) - x) <= kMarkGrip)
    dragging_ = Dragging::kTo;
  else
    dragging_ = Dragging::kPosition;
  Drag(x);
}

// Marks move to whole seconds, as they are typed.
void TimelineControl::Drag(int x) {
  const int64_t t = scale_.TimeAt(x);
  switch (dragging_) {
    case Dragging::kPosition:
      requested_ = t;
      position_ = t;
      Notify(kSeek);
      break;
    case Dragging::kFrom:
      mark_from_ = std::min(t / 1000 * 1000, mark_to_ ? mark_to_ - 1000 : t);
      Notify(kMarksMoved);
      break;
    case Dragging::kTo:
      mark_to_ = std::max(t / 1000 * 1000, mark_from_ + 1000);
      Notify(kMarksMoved);
      break;
    case Dragging::kNone:
      break;
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TimelineControl::DrawRuler(HDC dc, const RECT& r) {
  const int64_t tick = scale_.TickMs(70);
  SetTextColor(dc, kRuler);
  SetBkMode(dc, TRANSPARENT);
  HPEN pen = CreatePen(PS_SOLID, 1, kRuler);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  // Ticks on round local times: the day begins at a local midnight.
  const int64_t into = scale_.begin() - scale_.day_begin();
  for (int64_t t = scale_.day_begin() + (into + tick - 1) / tick * tick; t < scale_.end(); t += tick) {
    const int x = scale_.XAt(t);
    MoveToEx(dc, x, kRulerHeight - 5, nullptr);
    LineTo(dc, x, r.bottom);
    const std::wstring text = Clock(t, tick < 60'000);
    TextOutW(dc, x + 2, 1, text.c_str(), static_cast<int>(text.size()));
  }
  SelectObject(dc, old_pen);
  DeleteObject(pen);
  if (hover_x_ >= 0) {
    // The time under the pointer, to the second, where the ruler has room.
    const std::wstring text = Clock(scale_.TimeAt(hover_x_), true);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int x = std::clamp<int>(hover_x_ - size.cx / 2, 0, std::max<int>(0, r.right - size.cx));
    Fill(dc, x - 2, 0, x + size.cx + 2, kRulerHeight - 1, RGB(250, 250, 210));
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, x, 1, text.c_str(), static_cast<int>(text.size()));
  }
}

void TimelineControl::Paint() {
  PAINTSTRUCT ps;
  HDC target = BeginPaint(hwnd_, &ps);
  RECT r;
  GetClientRect(hwnd_, &r);
  scale_.SetWidth(r.right);
  // Drawn off screen and copied in one go, so a drag does not flicker.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, std::max<int>(r.right, 1), std::max<int>(r.bottom, 1));
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HGDIOBJ old_font = SelectObject(dc, settings::IniHandler::Instance().Font());
  Fill(dc, 0, 0, r.right, r.bottom, kBackground);
  if (mark_from_ && mark_to_) {
    const int x0 = std::max(scale_.XAt(mark_from_), -1), x1 = std::min<int>(scale_.XAt(mark_to_), r.right + 1);
    if (x1 > x0) Fill(dc, x0, 0, x1, r.bottom, kMarked);
  }
  for (size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    const int top = kRulerHeight + static_cast<int>(i) * kRowHeight + 2, bottom = top + kRowHeight - 4;
    for (const BandPixels& b : scale_.Place(row.recorded)) Fill(dc, b.x0, top, b.x1, bottom, kRecorded);
    for (const BandPixels& b : scale_.Place(row.motion)) Fill(dc, b.x0, top + (bottom - top) / 2, b.x1, bottom, kMotion);
    for (int64_t e : row.events) {
      const int x = scale_.XAt(e);
      if (x >= 0 && x < r.right) Fill(dc, x, top, x + 2, top + 5, kEvent);
    }
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring name = win32::Widen(row.camera);
    TextOutW(dc, 3, top + 2, name.c_str(), static_cast<int>(name.size()));
  }
  DrawRuler(dc, r);
  for (int64_t mark : {mark_from_, mark_to_}) {
    const int x = scale_.XAt(mark);
    if (mark && x >= 0 && x <= r.right) Fill(dc, x, 0, x + 1, r.bottom, RGB(120, 230, 140));
  }
  const int x = scale_.XAt(position_);
  if (position_ && x >= 0 && x <= r.right) Fill(dc, x - 1, 0, x + 1, r.bottom, RGB(255, 40, 40));
  BitBlt(target, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old_font);
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(hwnd_, &ps);
}

LRESULT TimelineControl::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      scale_.SetWidth(LOWORD(lparam));
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      Press(GET_X_LPARAM(lparam));
      return 0;
    case WM_CONTEXTMENU:
      ContextMenu({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return 0;
    case WM_MOUSEMOVE: {
      hover_x_ = GET_X_LPARAM(lparam);
      if (dragging_ != Dragging::kNone) Drag(hover_x_);
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
      TrackMouseEvent(&track);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
    case WM_MOUSELEAVE:
      hover_x_ = -1;
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (dragging_ != Dragging::kNone && GetCapture() == hwnd_) ReleaseCapture();
      dragging_ = Dragging::kNone;
      return 0;
    case WM_MOUSEWHEEL: {
      POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ScreenToClient(hwnd_, &p);
      Zoom(GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA, p.x);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
    case WM_CHAR:
      // Playback keys belong to the window.
      return SendMessageW(parent_, message, wparam, lparam);
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

LRESULT CALLBACK TimelineControl::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TimelineControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

}  // namespace app::recordings
