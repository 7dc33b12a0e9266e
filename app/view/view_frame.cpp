// The view's frame: its children laid out per screen size, the status
// line, and moving the frame: dragging with snapping and docking among the
// views, and placement when the view opens or the windows are sorted.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "app/view/camera_view_window.h"
#include "app/view/frame_tips.h"
#include "app/view/view_placement.h"
#include "app/view/view_registry.h"
#include "app/view/view_resource.h"
#include "os/win32/handles.h"
#include "os/win32/text.h"
#include "settings/ini_handler.h"

namespace app::view {
namespace {

constexpr COLORREF kFrameColour = RGB(96, 96, 96);
constexpr COLORREF kStatusText = RGB(230, 230, 230);

// A "Sort Window" pass: the main window undocks every view in turn, and
// each places itself among those already placed in the same pass. A pass
// ends when every view has been placed, or a second after it began.
struct SortPass {
  bool active = false;
  DWORD started = 0;
};
SortPass& CurrentSort() {
  static SortPass pass;
  return pass;
}

ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

ScreenRect Screen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

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

BOOL CViewWindow::OnInitDialog() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  if (ini.Font()) ini.ApplyFont(hwnd());
  CreatePictureWindow();
  ShowWindow(Item(IDC_VIEW_RANDOM_ACCESS), request_.kind == ViewRequest::Kind::kFile ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_VIEW_RECORD), request_.kind == ViewRequest::Kind::kFile ? SW_HIDE : SW_SHOW);
  EnableItem(IDC_VIEW_SPEAKER, !IsRelay());
  CreateTips();
  return FALSE;  // the focus stays where it is
}

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
void CViewWindow::CreateTips() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance(),
                          nullptr);
  if (!tips_) return;
  for (int id : kTipControls) {
    TTTOOLINFOW tool = ToolOf(hwnd(), Item(id));
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // Paths are long: wrap rather than run off the screen.
  SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 480);
}

void CViewWindow::SetTip(int control, const std::string& text) {
  if (!tips_) return;
  std::wstring wide = win32::Widen(text);
  TTTOOLINFOW tool = ToolOf(hwnd(), Item(control));
  tool.lpszText = wide.data();
  SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string CViewWindow::TipText(int control) const {
  if (!tips_) return std::string();
  wchar_t text[1024] = {};
  TTTOOLINFOW tool = ToolOf(hwnd(), GetDlgItem(hwnd(), control));
  tool.lpszText = text;
  SendMessageW(tips_, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
  return win32::Narrow(text);
}

void CViewWindow::LayOut() {
  const FrameLayout& layout = LayoutFor(size_);
  MoveChild(Item(IDC_VIEW_STATUS), layout.status);
  MoveChild(Item(IDC_VIEW_AUDIO), layout.buttons[kButtonAudio]);
  MoveChild(Item(IDC_VIEW_SPEAKER), layout.buttons[kButtonSpeaker]);
  MoveChild(Item(IDC_VIEW_RECORD), layout.buttons[kButtonRecord]);
  MoveChild(Item(IDC_VIEW_RANDOM_ACCESS), layout.buttons[kButtonRecord]);
  MoveChild(Item(IDC_VIEW_CLOSE), layout.buttons[kButtonClose]);
  MoveChild(picture_, layout.picture);
}

void CViewWindow::PaintFrame() {
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

void CViewWindow::DrawStatusLine(const DRAWITEMSTRUCT& item) {
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

ScreenRect CViewWindow::FrameRect() const {
  RECT r;
  GetWindowRect(hwnd(), &r);
  return ToScreenRect(r);
}

// The left button on the frame (not on a control) moves the window with
// the pointer; positions come from the messages, in screen pixels.
bool CViewWindow::OnFrameMouse(UINT message, LPARAM lparam) {
  POINT p = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_LBUTTONDOWN:
      ClientToScreen(hwnd(), &p);
      frame_drag_ = true;
      frame_anchor_ = p;
      GetWindowRect(hwnd(), &frame_start_);
      SetCapture(hwnd());
      return true;
    case WM_MOUSEMOVE:
      if (!frame_drag_) return false;
      ClientToScreen(hwnd(), &p);
      DragTo(frame_start_.left + p.x - frame_anchor_.x, frame_start_.top + p.y - frame_anchor_.y);
      return true;
    case WM_LBUTTONUP:
      if (!frame_drag_) return false;
      frame_drag_ = false;
      ReleaseCapture();
      return true;
    case WM_CAPTURECHANGED:
      frame_drag_ = false;
      return false;
    default:
      return false;
  }
}

// Indexes into the registry: who follows whom.
namespace {
std::vector<int> DockTargets() {
  const std::vector<CViewWindow*>& views = registry::Views();
  std::vector<int> targets(views.size(), kNotDocked);
  for (size_t i = 0; i < views.size(); ++i) {
    auto it = std::find(views.begin(), views.end(), views[i]->docked_to());
    if (it != views.end()) targets[i] = static_cast<int>(it - views.begin());
  }
  return targets;
}

int IndexOf(const CViewWindow* view) {
  const std::vector<CViewWindow*>& views = registry::Views();
  auto it = std::find(views.begin(), views.end(), view);
  return it == views.end() ? kNotDocked : static_cast<int>(it - views.begin());
}
}  // namespace

std::vector<DockCandidate> CViewWindow::SnapCandidates(const std::vector<int>& followers) const {
  std::vector<DockCandidate> candidates;
  const std::vector<CViewWindow*>& views = registry::Views();
  for (size_t i = 0; i < views.size(); ++i) {
    const CViewWindow* v = views[i];
    if (v == this || !IsWindowVisible(v->hwnd())) continue;
    if (std::find(followers.begin(), followers.end(), static_cast<int>(i)) != followers.end()) continue;
    candidates.push_back({static_cast<int>(i), v->FrameRect()});
  }
  return candidates;
}

void CViewWindow::DragTo(int left, int top) {
  const ScreenRect before = FrameRect();
  const int me = IndexOf(this);
  const std::vector<int> followers = Followers(me, DockTargets());
  const ScreenRect proposed = {left, top, left + before.width(), top + before.height()};
  const SnapResult snap = SnapWhileMoving(proposed, SnapCandidates(followers), Screen());
  docked_to_ = snap.docked_to == kNotDocked ? nullptr : registry::Views()[snap.docked_to];
  SetWindowPos(hwnd(), nullptr, snap.rect.left, snap.rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int dx = snap.rect.left - before.left, dy = snap.rect.top - before.top;
  if (dx == 0 && dy == 0) return;
  for (int i : followers) {
    CViewWindow* v = registry::Views()[i];
    const ScreenRect r = v->FrameRect();
    SetWindowPos(v->hwnd(), nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CViewWindow::ForgetDockTarget(CViewWindow* view) {
  if (docked_to_ == view) docked_to_ = nullptr;
}

// Placement against the views the main window lists as open. Those views
// are matched to the registry by their rectangles, to know whom they are
// docked to; while sorting, only views already placed in this pass count.
void CViewWindow::Place(bool sorting) {
  const std::vector<CViewWindow*>& views = registry::Views();
  std::vector<OpenView> open;
  std::vector<CViewWindow*> ids;  // OpenView ids index this
  const std::vector<DockCandidate> listed = host_.OtherViews(this);
  for (const DockCandidate& c : listed) {
    CViewWindow* match = nullptr;
    for (CViewWindow* v : views)
      if (v != this && v->FrameRect() == c.rect) match = v;
    if (sorting && (!match || !match->sorted_)) continue;
    ids.push_back(match);
    open.push_back({static_cast<int>(ids.size() - 1), c.rect, kNotDocked});
  }
  for (OpenView& o : open) {
    CViewWindow* target = ids[o.id] ? ids[o.id]->docked_to_ : nullptr;
    auto it = std::find(ids.begin(), ids.end(), target);
    if (target && it != ids.end()) o.docked_to = static_cast<int>(it - ids.begin());
  }
  RECT main = {}, list = {};
  GetWindowRect(host_.MainWindow(), &main);
  const HWND list_window = host_.ListWindow();
  const bool list_shown = list_window && IsWindowVisible(list_window) && GetWindowRect(list_window, &list);
  const ScreenRect list_rect = ToScreenRect(list);
  const Placement place = PlaceView(FrameRect(), ToScreenRect(main), open, Screen(), list_shown ? &list_rect : nullptr);
  docked_to_ = place.docked_to == kNotDocked ? nullptr : ids[place.docked_to];
  size_ = ScreenSize::k1x;
  SetWindowPos(hwnd(), nullptr, place.rect.left, place.rect.top, place.rect.width(), place.rect.height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut();
  RefreshOverlay();
}

void CViewWindow::Undock() {
  SortPass& pass = CurrentSort();
  const std::vector<CViewWindow*>& views = registry::Views();
  const bool all_placed = std::all_of(views.begin(), views.end(), [](CViewWindow* v) { return v->sorted_; });
  if (!pass.active || all_placed || GetTickCount() - pass.started > 1000) {
    pass.active = true;
    pass.started = GetTickCount();
    for (CViewWindow* v : views) v->sorted_ = false;
  }
  docked_to_ = nullptr;
  Place(true);
  sorted_ = true;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

}  // namespace app::view
