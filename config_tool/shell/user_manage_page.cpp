#include "config_tool/shell/user_manage_page.h"

#include "config_tool/shell/resource.h"
#include "config_tool/shell/user_info_dlg.h"

namespace bollard {

CUserManagePage::CUserManagePage(BollardContext& context, DeviceLink& link)
    : CPropertyPageBase(context.instance, IDD_USER_PAGE, "User Manager"), context_(context), link_(link) {
  edit_user = [this](HWND owner, UserRow* row, bool modify) {
    CUserInfoDlg dialog(context_.instance, *context_.sink, *row, modify);
    if (dialog.DoModal(owner) != IDOK) return false;
    *row = dialog.row();
    return true;
  };
}

BOOL CUserManagePage::OnInitDialog() {
  list_.Attach(Item(IDC_USER_LIST));
  list_.SetFullRowSelect();
  list_.AddColumn("User ID", 220);
  list_.AddColumn("User Name", 220);
  return TRUE;
}

void CUserManagePage::OnSetActive() {
  // The list is asked for when the page is first shown.
  if (!listed_) {
    listed_ = true;
    Reload();
  }
}

void CUserManagePage::Fill() {
  list_.Clear();
  for (const UserRow& row : accounts_.rows()) list_.AddRow({row.user_id, row.user_name});
}

void CUserManagePage::Reload() {
  listed_ = true;
  accounts_.Reload(link_);
  Fill();
}

void CUserManagePage::Add() {
  UserRow row;
  if (!edit_user(hwnd(), &row, false)) return;
  if (accounts_.Add(link_, row, *context_.sink)) list_.AddRow({row.user_id, row.user_name});
}

void CUserManagePage::Modify() {
  int selected = list_.SelectedRow();
  if (!accounts_.CheckSelection(selected, *context_.sink)) return;
  UserRow row = accounts_.rows()[static_cast<size_t>(selected)];
  if (!edit_user(hwnd(), &row, true)) return;
  accounts_.Modify(link_, selected, row.user_name, row.password, *context_.sink);
  list_.SetText(selected, 1, accounts_.rows()[static_cast<size_t>(selected)].user_name);
}

void CUserManagePage::Delete() {
  int selected = list_.SelectedRow();
  if (accounts_.Delete(link_, selected, *context_.sink)) list_.DeleteRow(selected);
}

bool CUserManagePage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_USER_ADD:
      Add();
      return true;
    case IDC_USER_MODIFY:
      Modify();
      return true;
    case IDC_USER_DELETE:
      Delete();
      return true;
    default:
      return false;
  }
}

}  // namespace bollard
