#include "config_tool/shell/login_dlg.h"

#include "config_tool/device_message.h"
#include "config_tool/shell/resource.h"

namespace bollard {

CLoginDlg::CLoginDlg(HINSTANCE instance) : CDialogBase(instance, IDD_LOGIN) {}

BOOL CLoginDlg::OnInitDialog() {
  // No more than the login request's fields hold.
  LimitText(IDC_LOGIN_ID, static_cast<int>(kUserIdField - 1));
  LimitText(IDC_LOGIN_PASSWORD, static_cast<int>(kPasswordField - 1));
  return TRUE;
}

void CLoginDlg::OnOK() {
  user_id_ = ItemText(IDC_LOGIN_ID);
  password_ = ItemText(IDC_LOGIN_PASSWORD);
  End(IDOK);
}

}  // namespace bollard
