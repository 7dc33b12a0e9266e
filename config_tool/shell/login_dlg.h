#pragma once
// "Login Dialog": the user ID and password for a device.
#include <string>

#include "os/win32/dialog.h"

namespace bollard {

class CLoginDlg : public win32::CDialogBase {
 public:
  explicit CLoginDlg(HINSTANCE instance);
  const std::string& user_id() const { return user_id_; }
  const std::string& password() const { return password_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::string user_id_, password_;
};

}  // namespace bollard
