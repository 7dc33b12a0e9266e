#pragma once
// The device list "Halyd Setup": discovery, and the way into a device's setup.
#include <functional>
#include <string>
#include <vector>

#include "config_tool/device_link.h"
#include "config_tool/shell/bollard_context.h"
#include "os/win32/dialog.h"
#include "os/win32/list_view.h"

namespace bollard {

class CDeviceListDlg : public win32::CDialogBase {
 public:
  explicit CDeviceListDlg(BollardContext& context);

  // Progress 0, rows cleared, discovery, progress 100.
  void Refresh();
  // Logs in to the selected row's device and opens its configuration.
  void Setup();
  const std::vector<DiscoveredDevice>& devices() const { return devices_; }
  win32::ListView& list() { return list_; }

  // The modal steps of Setup; tests replace them.
  std::function<bool(HWND owner, std::string* user_id, std::string* password)> ask_login;
  std::function<void(HWND owner, DeviceLink& link, const DiscoveredDevice& device)> open_config;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;

 private:
  void SetProgress(int percent);

  BollardContext& context_;
  win32::ListView list_;
  std::vector<DiscoveredDevice> devices_;
};

}  // namespace bollard
