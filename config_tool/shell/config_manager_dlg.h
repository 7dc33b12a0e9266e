#pragma once
// "Halyd Configration Manager": the HY Config sheet with the network and user
// pages of one device, and the Apply, Quit and Reload buttons acting on the
// page on top.
#include <vector>

#include "config_tool/shell/bollard_context.h"
#include "config_tool/shell/hy_config_network.h"
#include "config_tool/shell/hy_config_sheet.h"
#include "config_tool/shell/user_manage_page.h"
#include "os/win32/dialog.h"

namespace bollard {

class CConfigManagerDlg : public win32::CDialogBase {
 public:
  CConfigManagerDlg(BollardContext& context, DeviceLink& link, const InterfaceEntry& entry);
  ~CConfigManagerDlg() override;

  CHYConfigSheet& sheet() { return sheet_; }
  CHYConfigNetwork& network() { return network_; }
  CUserManagePage& users() { return users_; }
  // The interface entries of the reports received while the dialog is open.
  const std::vector<InterfaceEntry>& received() const { return received_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void PlaceButtons();

  std::vector<InterfaceEntry> received_;
  CHYConfigNetwork network_;
  CUserManagePage users_;
  CHYConfigSheet sheet_;  // declared last: its window goes before the pages
};

}  // namespace bollard
