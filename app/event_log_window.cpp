#include "app/event_log_window.h"

#include <cstring>

#include "app/resource.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace app {

CEventLogWindow::CEventLogWindow(HINSTANCE instance, const node::EventLog& log)
    : CDialogBase(instance, IDD_EVENT_LOG), log_(log) {}

void CEventLogWindow::Show(HWND owner) {
  if (!hwnd()) Create(owner);
  if (!hwnd()) return;
  Refresh();
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

BOOL CEventLogWindow::OnInitDialog() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  namespace text = settings::text;
  SetWindowTextW(hwnd(), win32::Widen(ini.GetString(text::kEventLogCaption)).c_str());
  SetItemText(IDC_EVENT_COPY, ini.GetString(text::kEventLogCopy));
  list_.Attach(Item(IDC_EVENT_LIST));
  list_.SetFullRowSelect();
  list_.AddColumn(ini.GetString(text::kEventLogColumnTime), 60);
  list_.AddColumn(ini.GetString(text::kEventLogColumnCamera), 110);
  list_.AddColumn(ini.GetString(text::kEventLogColumnEvent), 300);
  SetTimer(hwnd(), kRefreshTimer, 1000, nullptr);
  RouteDialogKeys();
  return TRUE;
}

INT_PTR CEventLogWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kRefreshTimer) {
    if (log_.Changes() != seen_changes_) Refresh();
    return TRUE;
  }
  if (message == WM_CLOSE) {
    ShowWindow(hwnd(), SW_HIDE);  // kept for the next time, with its filter
    return TRUE;
  }
  return CDialogBase::HandleMessage(message, wparam, lparam);
}

bool CEventLogWindow::OnCommand(int id, int code, HWND) {
  if (id == IDC_EVENT_COPY && code == BN_CLICKED) {
    Copy();
    return true;
  }
  if (id == IDC_EVENT_CAMERA && code == CBN_SELCHANGE) {
    filter_ = FilterAt(listed_, static_cast<int>(SendMessageW(Item(IDC_EVENT_CAMERA), CB_GETCURSEL, 0, 0)));
    FillRows();
    return true;
  }
  // A list that changed while the drop-down was open is shown once it closes.
  if (id == IDC_EVENT_CAMERA && code == CBN_CLOSEUP) {
    FillCameras();
    return true;
  }
  if (id == IDCANCEL) {
    ShowWindow(hwnd(), SW_HIDE);
    return true;
  }
  return false;
}

void CEventLogWindow::Refresh() {
  if (!hwnd()) return;
  seen_changes_ = log_.Changes();
  FillCameras();
  FillRows();
}

void CEventLogWindow::SetFilter(const std::string& camera) {
  filter_ = camera.empty() ? EventFilter{} : EventFilter{false, camera};
  Refresh();
}

// "All cameras" first, then each camera of the log ("-" for the entries
// without one); the filter stays chosen. Only when the cameras changed, and
// never under an open drop-down: filling it again would close it.
void CEventLogWindow::FillCameras() {
  HWND combo = Item(IDC_EVENT_CAMERA);
  std::vector<std::string> cameras = log_.Cameras();
  const bool same = cameras == listed_ && SendMessageW(combo, CB_GETCOUNT, 0, 0) == LRESULT(cameras.size() + 1);
  if (same || SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) return;
  listed_ = std::move(cameras);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  const std::wstring all = win32::Widen(settings::IniHandler::Instance().GetString(settings::text::kEventLogAllCameras));
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(all.c_str()));
  for (const std::string& camera : listed_) {
    const std::wstring wide = win32::Widen(camera.empty() ? "-" : camera);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(IndexOf(listed_, filter_)), 0);
}

// Read again, the rows keep the one chosen and the one at the top.
void CEventLogWindow::FillRows() {
  HWND list = list_.hwnd();
  const int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
  const int chosen = list_.SelectedRow();
  auto serial_at = [&](int row) {
    return row >= 0 && static_cast<size_t>(row) < row_serials_.size() ? row_serials_[static_cast<size_t>(row)] : 0;
  };
  const uint64_t top_serial = serial_at(top), chosen_serial = serial_at(chosen);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  list_.Clear();
  row_serials_.clear();
  int new_top = 0, new_chosen = -1;
  for (const EventRow& row : EventRows(Filtered(log_.Entries(), filter_))) {
    const int at = list_.AddRow({row.time, row.camera, row.text});
    row_serials_.push_back(row.serial);
    if (top > 0 && row.serial == top_serial) new_top = at;
    if (chosen_serial != 0 && row.serial == chosen_serial) new_chosen = at;
  }
  if (new_chosen >= 0) list_.Select(new_chosen);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  // The list scrolls by pixels and rounds to rows: again until the row is at the top.
  RECT item{};
  ListView_GetItemRect(list, 0, &item, LVIR_BOUNDS);
  for (int tries = 0; tries < 3; ++tries) {
    const int now = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    if (now == new_top || item.bottom <= item.top) break;
    SendMessageW(list, LVM_SCROLL, 0, static_cast<LPARAM>((new_top - now) * (item.bottom - item.top)));
  }
  InvalidateRect(list, nullptr, TRUE);
}

std::string CEventLogWindow::CopyText() const { return ClipboardText(EventRows(Filtered(log_.Entries(), filter_))); }

void CEventLogWindow::Copy() {
  const std::wstring text = win32::Widen(CopyText());
  if (!OpenClipboard(hwnd())) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(memory)) {
      std::memcpy(p, text.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

}  // namespace app
