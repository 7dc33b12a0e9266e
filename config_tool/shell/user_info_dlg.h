#pragma once
// "User Info": one account's ID, name and password, checked before "OK" closes.
#include "config_tool/device_actions.h"
#include "config_tool/message_sink.h"
#include "os/win32/dialog.h"

namespace bollard {

class CUserInfoDlg : public win32::CDialogBase {
 public:
  // With `modify` the ID is shown but not editable.
  CUserInfoDlg(HINSTANCE instance, IMessageSink& sink, const UserRow& row, bool modify);
  const UserRow& row() const { return row_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  IMessageSink& sink_;
  UserRow row_;
  bool modify_;
};

}  // namespace bollard
