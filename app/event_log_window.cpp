#include "app/event_log_window.h"

#include <cstring>

#include "app/event_rows.h"
#include "app/resource.h"
#include "os/win32/text.h"

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
  list_.Attach(Item(IDC_EVENT_LIST));
  list_.SetFullRowSelect();
  list_.AddColumn("Time", 60);
  list_.AddColumn("Camera", 110);
  list_.AddColumn("Event", 300);
  SetTimer(hwnd(), kRefreshTimer, 1000, nullptr);
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
    const int index = static_cast<int>(SendMessageW(Item(IDC_EVENT_CAMERA), CB_GETCURSEL, 0, 0));
    filter_ = index <= 0 ? std::string() : log_.Cameras()[static_cast<size_t>(index - 1)];
    FillRows();
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
  filter_ = camera;
  Refresh();
}

// "All cameras" first, then each camera of the log; the filter stays chosen.
void CEventLogWindow::FillCameras() {
  HWND combo = Item(IDC_EVENT_CAMERA);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"All cameras"));
  int selected = 0, index = 0;
  for (const std::string& camera : log_.Cameras()) {
    ++index;
    const std::wstring wide = win32::Widen(camera.empty() ? "-" : camera);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    if (!filter_.empty() && camera == filter_) selected = index;
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void CEventLogWindow::FillRows() {
  SendMessageW(list_.hwnd(), WM_SETREDRAW, FALSE, 0);
  list_.Clear();
  for (const EventRow& row : EventRows(log_.Entries(filter_))) list_.AddRow({row.time, row.camera, row.text});
  SendMessageW(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_.hwnd(), nullptr, TRUE);
}

std::string CEventLogWindow::CopyText() const { return ClipboardText(EventRows(log_.Entries(filter_))); }

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
