#include "config_tool/shell/config_manager_dlg.h"

#include "config_tool/shell/resource.h"

namespace bollard {

CConfigManagerDlg::CConfigManagerDlg(BollardContext& context, DeviceLink& link, const InterfaceEntry& entry)
    : CDialogBase(context.instance, IDD_CONFIG_MANAGER),
      network_(context, link, entry, &received_),
      users_(context, link) {
  sheet_.AddPage(&network_);
  sheet_.AddPage(&users_);
}

CConfigManagerDlg::~CConfigManagerDlg() = default;

INT_PTR CConfigManagerDlg::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // The sheet goes with the dialog, while its handle is still the sheet's.
  if (message == WM_DESTROY) sheet_.Destroy();
  return CDialogBase::HandleMessage(message, wparam, lparam);
}

BOOL CConfigManagerDlg::OnInitDialog() {
  if (!sheet_.CreateChild(hwnd(), 0, 0)) return TRUE;
  PlaceButtons();
  return TRUE;
}

// The sheet's size is known only once it exists: the buttons go in a row
// below it, right-aligned, and the dialog takes the size of both.
void CConfigManagerDlg::PlaceButtons() {
  RECT sheet = {};
  GetWindowRect(sheet_.hwnd(), &sheet);
  int sheet_w = sheet.right - sheet.left;
  int sheet_h = sheet.bottom - sheet.top;
  RECT unit = {0, 0, 50, 14};  // a button in dialog units
  MapDialogRect(hwnd(), &unit);
  RECT gap = {0, 0, 5, 7};
  MapDialogRect(hwnd(), &gap);
  int x = sheet_w - gap.bottom;
  int y = sheet_h;
  for (int id : {IDC_RELOAD, IDC_QUIT, IDC_APPLY}) {
    x -= unit.right;
    SetWindowPos(Item(id), nullptr, x, y, unit.right, unit.bottom, SWP_NOZORDER);
    x -= gap.right;
  }
  RECT client = {0, 0, sheet_w, y + unit.bottom + gap.bottom};
  AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_EXSTYLE)));
  SetWindowPos(hwnd(), nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
               SWP_NOMOVE | SWP_NOZORDER);
}

bool CConfigManagerDlg::OnCommand(int id, int code, HWND control) {
  int page = sheet_.ActiveIndex();
  switch (id) {
    case IDC_APPLY:
      if (page == CHYConfigSheet::kNetworkPage) network_.Apply();
      else if (page == CHYConfigSheet::kUserPage) users_.Reload();
      return true;
    case IDC_RELOAD:
      if (page == CHYConfigSheet::kNetworkPage) network_.LoadFromEntry();
      else if (page == CHYConfigSheet::kUserPage) users_.Reload();
      return true;
    case IDC_QUIT:
      End(IDCANCEL);
      return true;
    case IDOK:
      return true;  // Enter does not close the dialog; "Quit" does
    default:
      return CDialogBase::OnCommand(id, code, control);
  }
}

}  // namespace bollard
