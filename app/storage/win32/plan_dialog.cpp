#include "app/storage/win32/plan_dialog.h"

#include <windowsx.h>

#include <array>

#include "app/storage/win32/plans_resource.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app::storage {
namespace {

constexpr int kScheduled = 4;  // the mode list's last line: by the week
constexpr std::array<int, 3> kFileMinutes = {60, 30, 15};
constexpr int kLabelWidth = 30, kLabelHeight = 14;
constexpr const char* kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

COLORREF ColourOf(node::PlanMode mode) {
  switch (mode) {
    case node::PlanMode::kContinuous:
      return RGB(0xD2, 0x45, 0x45);
    case node::PlanMode::kMotion:
      return RGB(0xE8, 0xA8, 0x38);
    case node::PlanMode::kContinuousMotion:
      return RGB(0x9A, 0x4F, 0xC8);
    default:
      return RGB(0x3D, 0x44, 0x4F);
  }
}

void AddItems(HWND combo, std::initializer_list<const char*> items) {
  for (const char* item : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(item).c_str()));
}

void DrawText(HDC dc, const std::string& text, RECT box) {
  const std::wstring wide = win32::Widen(text);
  ::DrawTextW(dc, wide.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
}

}  // namespace

CPlanDialog::CPlanDialog(HINSTANCE instance, const node::RecordingPlan& plan, const std::string& camera)
    : CDialogBase(instance, IDD_RECORDING_PLAN), plan_(plan), camera_(camera) {}

BOOL CPlanDialog::OnInitDialog() {
  SetWindowTextW(hwnd(), win32::Widen("Recording Plan: " + camera_).c_str());
  AddItems(Item(IDC_PLAN_MODE), {"Nothing", "Continuously", "On motion", "Continuously, motion marked",
                                 "By the week below"});
  AddItems(Item(IDC_PLAN_BRUSH), {"Nothing", "Continuously", "On motion", "Continuously, motion marked"});
  SendMessageW(Item(IDC_PLAN_BRUSH), CB_SETCURSEL, static_cast<WPARAM>(node::PlanMode::kContinuous), 0);
  AddItems(Item(IDC_PLAN_FILES), {"60 minutes", "30 minutes", "15 minutes"});
  int files = 0;
  for (size_t i = 0; i < kFileMinutes.size(); ++i)
    if (kFileMinutes[i] == plan_.file_minutes) files = static_cast<int>(i);
  SendMessageW(Item(IDC_PLAN_FILES), CB_SETCURSEL, static_cast<WPARAM>(files), 0);
  settings::IniHandler::Instance().ApplyFont(hwnd());
  ShowMode();
  return TRUE;
}

void CPlanDialog::ShowMode() {
  const int index = plan_.scheduled ? kScheduled : static_cast<int>(plan_.mode);
  SendMessageW(Item(IDC_PLAN_MODE), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  InvalidateRect(Item(IDC_PLAN_WEEK), nullptr, FALSE);
}

bool CPlanDialog::OnCommand(int id, int code, HWND control) {
  if (id == IDC_PLAN_MODE && code == CBN_SELCHANGE) {
    const int index = static_cast<int>(SendMessageW(Item(IDC_PLAN_MODE), CB_GETCURSEL, 0, 0));
    if (index == kScheduled) {
      ScheduleFromMode(&plan_);
    } else if (index >= 0) {
      plan_.scheduled = false;
      plan_.mode = static_cast<node::PlanMode>(index);
    }
    ShowMode();
    return true;
  }
  return CDialogBase::OnCommand(id, code, control);
}

void CPlanDialog::OnOK() {
  const int files = static_cast<int>(SendMessageW(Item(IDC_PLAN_FILES), CB_GETCURSEL, 0, 0));
  if (files >= 0 && files < static_cast<int>(kFileMinutes.size())) plan_.file_minutes = kFileMinutes[size_t(files)];
  End(IDOK);
}

// The week's control in the dialog's client pixels.
WeekGrid CPlanDialog::Grid(POINT* origin) const {
  RECT r{};
  GetWindowRect(Item(IDC_PLAN_WEEK), &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  *origin = {r.left, r.top};
  return {r.right - r.left, r.bottom - r.top, kLabelWidth, kLabelHeight};
}

void CPlanDialog::PressWeek(POINT at) {
  POINT origin;
  const WeekGrid grid = Grid(&origin);
  const WeekCell cell = grid.CellAt(at.x - origin.x, at.y - origin.y);
  if (!cell.Valid()) return;
  dragging_ = true;
  drag_from_ = cell;
  before_drag_ = plan_;
  SetCapture(hwnd());
  DragWeek(at);
}

void CPlanDialog::DragWeek(POINT at) {
  if (!dragging_) return;
  POINT origin;
  const WeekGrid grid = Grid(&origin);
  const auto brush =
      static_cast<node::PlanMode>(SendMessageW(Item(IDC_PLAN_BRUSH), CB_GETCURSEL, 0, 0) & 3);
  plan_ = before_drag_;
  PaintWeek(&plan_, drag_from_, grid.CellAt(at.x - origin.x, at.y - origin.y, true), brush);
  ShowMode();
}

void CPlanDialog::ReleaseWeek() {
  if (!dragging_) return;
  dragging_ = false;
  ReleaseCapture();
}

INT_PTR CPlanDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_LBUTTONDOWN:
      PressWeek(at);
      return TRUE;
    case WM_MOUSEMOVE:
      DragWeek(at);
      return TRUE;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      ReleaseWeek();
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != IDC_PLAN_WEEK) return FALSE;
      DrawWeek(*item);
      return TRUE;
    }
    default:
      return CDialogBase::HandleMessage(message, wparam, lparam);
  }
}

void CPlanDialog::DrawWeek(const DRAWITEMSTRUCT& item) const {
  const RECT& r = item.rcItem;
  const WeekGrid grid{r.right - r.left, r.bottom - r.top, kLabelWidth, kLabelHeight};
  HDC dc = item.hDC;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
  for (int day = 0; day < node::RecordingPlan::kDays; ++day) {
    for (int hour = 0; hour < node::RecordingPlan::kHours; ++hour) {
      int left, top, right, bottom;
      grid.Box({day, hour}, &left, &top, &right, &bottom);
      const RECT box{r.left + left, r.top + top, r.left + right, r.top + bottom};
      HBRUSH brush = CreateSolidBrush(ColourOf(plan_.ModeAt(day, hour)));
      RECT inner{box.left, box.top, box.right - 1, box.bottom - 1};  // a line between the cells
      FillRect(dc, &inner, brush);
      DeleteObject(brush);
      if (day == 0 && hour % 3 == 0) DrawText(dc, std::to_string(hour), {box.left, r.top, box.right, box.top});
    }
    int left, top, right, bottom;
    grid.Box({day, 0}, &left, &top, &right, &bottom);
    DrawText(dc, kDays[day], {r.left, r.top + top, r.left + kLabelWidth, r.top + bottom});
  }
  SelectObject(dc, font);
}

}  // namespace app::storage
