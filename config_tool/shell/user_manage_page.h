#pragma once
// "User Manager": the device's accounts, added, modified and deleted in place.
#include <functional>

#include "config_tool/device_actions.h"
#include "config_tool/shell/bollard_context.h"
#include "os/win32/dialog.h"
#include "os/win32/list_view.h"

namespace bollard {

class CUserManagePage : public win32::CPropertyPageBase {
 public:
  CUserManagePage(BollardContext& context, DeviceLink& link);

  // Removes every row and lists the device's accounts again.
  void Reload();
  void Add();
  void Modify();
  void Delete();
  win32::ListView& list() { return list_; }
  const UserAccounts& accounts() const { return accounts_; }

  // The user dialog; tests replace it. `modify` shows an existing account.
  std::function<bool(HWND owner, UserRow* row, bool modify)> edit_user;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnSetActive() override;

 private:
  void Fill();

  BollardContext& context_;
  DeviceLink& link_;
  UserAccounts accounts_;
  win32::ListView list_;
  bool listed_ = false;
};

}  // namespace bollard
