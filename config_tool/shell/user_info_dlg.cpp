#include "config_tool/shell/user_info_dlg.h"

#include "config_tool/device_message.h"
#include "config_tool/shell/resource.h"

namespace bollard {

CUserInfoDlg::CUserInfoDlg(HINSTANCE instance, IMessageSink& sink, const UserRow& row, bool modify)
    : CDialogBase(instance, IDD_USER_INFO), sink_(sink), row_(row), modify_(modify) {}

BOOL CUserInfoDlg::OnInitDialog() {
  // No more than the user operation's fields hold.
  LimitText(IDC_USER_ID, static_cast<int>(kUserIdField - 1));
  LimitText(IDC_USER_NAME, static_cast<int>(kUserNameField - 1));
  LimitText(IDC_USER_PASSWORD, static_cast<int>(kPasswordField - 1));
  LimitText(IDC_USER_CONFIRM, static_cast<int>(kPasswordField - 1));
  SetItemText(IDC_USER_ID, row_.user_id);
  SetItemText(IDC_USER_NAME, row_.user_name);
  // A listed account's password is not known (its row holds the user name):
  // Modify opens both fields empty, so OK cannot set the name as the password.
  if (!modify_) {
    SetItemText(IDC_USER_PASSWORD, row_.password);
    SetItemText(IDC_USER_CONFIRM, row_.password);
  }
  if (modify_) SendDlgItemMessageW(hwnd(), IDC_USER_ID, EM_SETREADONLY, TRUE, 0);
  return TRUE;
}

void CUserInfoDlg::OnOK() {
  std::string id = ItemText(IDC_USER_ID);
  std::string name = ItemText(IDC_USER_NAME);
  std::string password = ItemText(IDC_USER_PASSWORD);
  std::string confirm = ItemText(IDC_USER_CONFIRM);
  const char* refusal = nullptr;
  if (id.empty()) refusal = "Please Input a User ID";
  else if (name.empty()) refusal = "Please Input a User Name";
  else if (password.empty()) refusal = "Please Input a Password";
  else if (confirm.empty()) refusal = "Please Confirm a Password";
  else if (password != confirm) refusal = "Password and Confirmed Password is not same";
  if (refusal) {
    sink_.ShowMessage(refusal);
    return;
  }
  row_ = {id, name, password};
  End(IDOK);
}

}  // namespace bollard
