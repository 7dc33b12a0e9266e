#include "dialogs/win32/login_dialog.h"

#include "dialogs/login_placement.h"
#include "dialogs/win32/dialog_ids.h"
#include "os/win32/monitors.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace dialogs {
namespace {

os::ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

LoginDialog::LoginDialog(HINSTANCE instance, const settings::ServerRecord& record, HWND main_window,
                         std::string program_dir)
    : CSkinnedDialog(instance, IDD_LOGIN, skin::kLoginSkin, std::move(program_dir)),
      record_(record),
      main_window_(main_window) {}

BOOL LoginDialog::OnInitDialog() {
  ApplySkin();
  if (skin().applied()) {
    // The skin's background carries its own labels.
    ShowWindow(Item(IDC_LABEL_ID), SW_HIDE);
    ShowWindow(Item(IDC_LABEL_PASSWD), SW_HIDE);
  }
  if (HFONT font = settings::IniHandler::Instance().Font()) {
    for (int id : {IDC_EDIT_ID, IDC_EDIT_PASSWD}) SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  Place();
  const settings::SavedLogin saved = settings::LoadSavedLogin(record_.name);
  SetItemText(IDC_EDIT_ID, saved.user);
  SetItemText(IDC_EDIT_PASSWD, saved.password);
  // Ticked while a login is kept for the entry: OK keeps it as it is shown,
  // and unticking it is how the user has it forgotten.
  had_saved_ = !saved.user.empty() || !saved.password.empty();
  SetChecked(IDC_CHECK_SAVEIDPW, had_saved_);
  return TRUE;
}

void LoginDialog::Place() {
  RECT first, main{0, 0, 0, 0};
  GetWindowRect(hwnd(), &first);
  if (main_window_) GetWindowRect(main_window_, &main);
  const os::ScreenRect screen = win32::MonitorOf(main_window_ ? main_window_ : hwnd());
  const os::ScreenRect at = PlaceLoginDialog(ToScreenRect(first), screen, ToScreenRect(main));
  SetWindowPos(hwnd(), nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd(), SW_SHOW);
}

bool LoginDialog::OnCommand(int id, int code, HWND control) {
  if (id == IDC_BUTTON_X) {
    OnCancel();
    return true;
  }
  return CSkinnedDialog::OnCommand(id, code, control);
}

void LoginDialog::OnOK() {
  user_ = ItemText(IDC_EDIT_ID);
  password_ = ItemText(IDC_EDIT_PASSWD);
  auto& ini = settings::IniHandler::Instance();
  if (user_.empty()) {
    ini.ShowMessage(settings::text::kLoginErrorInsertId);
    return;
  }
  if (password_.empty()) {
    ini.ShowMessage(settings::text::kLoginErrorInsertPasswd);
    return;
  }
  if (IsChecked(IDC_CHECK_SAVEIDPW))
    settings::SaveLogin(record_.name, {user_, password_});
  else if (had_saved_)
    settings::ForgetLogin(record_.name);
  End(IDOK);
}

}  // namespace dialogs
