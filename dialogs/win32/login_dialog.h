#pragma once
// Asks for the user ID and password before every connection to a server
// entry, offering what was saved for that entry, and saves them when asked
// ("Save ID && Passwd", ticked while a login is kept) or forgets them.
#include <windows.h>

#include <string>

#include "dialogs/win32/skinned_dialog.h"
#include "settings/win32/server_list_store.h"

namespace dialogs {

class LoginDialog : public CSkinnedDialog {
 public:
  // `main_window` is what the dialog is placed against when there is no
  // room to the right of its first place.
  LoginDialog(HINSTANCE instance, const settings::ServerRecord& record, HWND main_window, std::string program_dir);

  const settings::ServerRecord& record() const { return record_; }
  // The entered values, after OK.
  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;

 private:
  void Place();

  settings::ServerRecord record_;
  HWND main_window_;
  std::string user_, password_;
  bool had_saved_ = false;  // a login was kept for the entry when the dialog opened
};

}  // namespace dialogs
