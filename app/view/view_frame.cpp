#include "app/view/view_frame.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "app/view/view_placement.h"
#include "app/view/view_resource.h"
#include "app/view_list.h"
#include "os/win32/handles.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"

namespace app::view {
namespace {

constexpr COLORREF kFrameColour = RGB(96, 96, 96);
constexpr COLORREF kStatusText = RGB(230, 230, 230);

ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }


void MoveChild(HWND child, const ScreenRect& r) { MoveWindow(child, r.left, r.top, r.width(), r.height(), TRUE); }

void DrawStatusPicture(HDC dc, int x, int y, StatusPicture picture) {
  if (picture == StatusPicture::kNone) return;
  // A red disc with a white cross: no connection; an amber one with a bar: refused.
  const COLORREF fill = picture == StatusPicture::kCannotConnect ? RGB(200, 30, 30) : RGB(230, 150, 0);
  win32::GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
  win32::GdiObject<HPEN> white(CreatePen(PS_SOLID, 2, RGB(255, 255, 255)));
  win32::SelectedObject b(dc, brush.get());
  win32::SelectedObject none(dc, GetStockObject(NULL_PEN));
  Ellipse(dc, x, y, x + 13, y + 13);
  win32::SelectedObject pen(dc, white.get());
  if (picture == StatusPicture::kCannotConnect) {
    MoveToEx(dc, x + 4, y + 4, nullptr);
    LineTo(dc, x + 9, y + 9);
    MoveToEx(dc, x + 9, y + 4, nullptr);
    LineTo(dc, x + 4, y + 9);
  } else {
    MoveToEx(dc, x + 3, y + 6, nullptr);
    LineTo(dc, x + 10, y + 6);
  }
}

}  // namespace

namespace {
constexpr int kTipControls[] = {IDC_VIEW_AUDIO, IDC_VIEW_SPEAKER, IDC_VIEW_RECORD, IDC_VIEW_RANDOM_ACCESS,
                                IDC_VIEW_CLOSE};

TTTOOLINFOW ToolOf(HWND frame, HWND control) {
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = frame;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}
}  // namespace

// One tooltip window for the caption buttons; it watches their mouse
// messages itself. Texts follow the state (RefreshTips).
void ViewFrame::CreateTips(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance,
                          nullptr);
  if (!tips_) return;
  for (int id : kTipControls) {
    TTTOOLINFOW tool = ToolOf(hwnd(), GetDlgItem(hwnd(), id));
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // Paths are long: wrap rather than run off the screen.
  SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 480);
}

void ViewFrame::SetTip(int control, const std::string& text) {
  if (!tips_) return;
  std::wstring wide = win32::Widen(text);
  TTTOOLINFOW tool = ToolOf(hwnd(), GetDlgItem(hwnd(), control));
  tool.lpszText = wide.data();
  SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string ViewFrame::TipText(int control) const {
  if (!tips_) return std::string();
  wchar_t text[1024] = {};
  TTTOOLINFOW tool = ToolOf(hwnd(), GetDlgItem(hwnd(), control));
  tool.lpszText = text;
  SendMessageW(tips_, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
  return win32::Narrow(text);
}

void ViewFrame::SetTips(const FrameTips& tips) {
  SetTip(IDC_VIEW_AUDIO, tips.sound);
  SetTip(IDC_VIEW_SPEAKER, tips.speaker);
  SetTip(IDC_VIEW_RECORD, tips.record);
  SetTip(IDC_VIEW_RANDOM_ACCESS, tips.seek);
  SetTip(IDC_VIEW_CLOSE, tips.close);
}

void ViewFrame::LayOut(ScreenSize size, HWND picture) {
  const FrameLayout layout = LayoutFor(size, win32::DisplayScalePercent());
  MoveChild(GetDlgItem(hwnd(), IDC_VIEW_STATUS), layout.status);
  MoveChild(GetDlgItem(hwnd(), IDC_VIEW_AUDIO), layout.buttons[kButtonAudio]);
  MoveChild(GetDlgItem(hwnd(), IDC_VIEW_SPEAKER), layout.buttons[kButtonSpeaker]);
  MoveChild(GetDlgItem(hwnd(), IDC_VIEW_RECORD), layout.buttons[kButtonRecord]);
  MoveChild(GetDlgItem(hwnd(), IDC_VIEW_RANDOM_ACCESS), layout.buttons[kButtonRecord]);
  MoveChild(GetDlgItem(hwnd(), IDC_VIEW_CLOSE), layout.buttons[kButtonClose]);
  MoveChild(picture, layout.picture);
}

void ViewFrame::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT r;
  GetClientRect(hwnd(), &r);
  win32::GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kFrameColour));
  win32::SelectedObject p(dc, pen.get());
  win32::SelectedObject b(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  EndPaint(hwnd(), &ps);
}

void ViewFrame::SetStatus(const StatusLine& line) {
  if (line == status_) return;
  status_ = line;
  InvalidateRect(GetDlgItem(hwnd(), IDC_VIEW_STATUS), nullptr, TRUE);
}

void ViewFrame::DrawStatusLine(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
  const int picture_width = status_.picture == StatusPicture::kNone ? 0 : 17;
  DrawStatusPicture(dc, r.left, r.top + (r.bottom - r.top - 13) / 2, status_.picture);
  r.left += picture_width;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kStatusText);
  win32::SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  const std::wstring text = win32::Widen(status_.text);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

ScreenRect ViewFrame::Rect() const {
  RECT r;
  GetWindowRect(hwnd(), &r);
  return ToScreenRect(r);
}

// The left button on the frame (not on a control) moves the window with
// the pointer; positions come from the messages, in screen pixels.
bool ViewFrame::OnMouse(UINT message, LPARAM lparam) {
  POINT p = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_LBUTTONDOWN:
      ClientToScreen(hwnd(), &p);
      dragging_ = true;
      anchor_ = p;
      GetWindowRect(hwnd(), &start_);
      SetCapture(hwnd());
      return true;
    case WM_MOUSEMOVE:
      if (!dragging_) return false;
      ClientToScreen(hwnd(), &p);
      DragTo(start_.left + p.x - anchor_.x, start_.top + p.y - anchor_.y);
      return true;
    case WM_LBUTTONUP:
      if (!dragging_) return false;
      dragging_ = false;
      ReleaseCapture();
      return true;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return false;
    default:
      return false;
  }
}

void ViewFrame::DragTo(int left, int top) {
  ViewList& views = host_.OpenViews();
  const ScreenRect before = Rect();
  // A view never snaps to the views that follow it: they move with it.
  const std::vector<CameraView*> followers = views.Followers(&view_);
  std::vector<DockCandidate> candidates;
  for (const OtherView& other : views.OtherViews(&view_))
    if (std::find(followers.begin(), followers.end(), other.view) == followers.end())
      candidates.push_back({other.index, other.rect});
  const ScreenRect proposed = {left, top, left + before.width(), top + before.height()};
  const SnapResult snap = SnapWhileMoving(proposed, candidates, win32::MonitorOf(hwnd()));
  views.SetDockedTo(&view_, snap.docked_to);
  SetWindowPos(hwnd(), nullptr, snap.rect.left, snap.rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int dx = snap.rect.left - before.left, dy = snap.rect.top - before.top;
  if (dx == 0 && dy == 0) return;
  for (CameraView* follower : followers) {
    RECT r{};
    GetWindowRect(follower->Window(), &r);
    SetWindowPos(follower->Window(), nullptr, r.left + dx, r.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Placement among the other open views, keeping whom they are docked to;
// while sorting, only views already placed in this pass count.
void ViewFrame::Place(bool sorting) {
  ViewList& views = host_.OpenViews();
  std::vector<OpenView> open;
  for (const OtherView& other : views.OtherViews(&view_))
    if (!sorting || other.placed) open.push_back({other.index, other.rect, other.docked_to});
  for (OpenView& o : open) {
    const bool target_counts = std::any_of(open.begin(), open.end(), [&](const OpenView& t) { return t.id == o.docked_to; });
    if (!target_counts) o.docked_to = kNotDocked;
  }
  RECT main = {}, list = {};
  GetWindowRect(host_.MainWindow(), &main);
  const HWND list_window = host_.ListWindow();
  const bool list_shown = list_window && IsWindowVisible(list_window) && GetWindowRect(list_window, &list);
  const ScreenRect list_rect = ToScreenRect(list);
  // On the monitor of the main window the views gather round.
  const Placement place = PlaceView(Rect(), ToScreenRect(main), open, win32::MonitorOf(host_.MainWindow()),
                                    list_shown ? &list_rect : nullptr, win32::DisplayScalePercent());
  views.SetDockedTo(&view_, place.docked_to);
  SetWindowPos(hwnd(), nullptr, place.rect.left, place.rect.top, place.rect.width(), place.rect.height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace app::view
