#pragma once
// "Network Setup": the device name, DHCP or static addresses, host names and
// the MAC address of one interface; "Apply" writes and sends the interface file.
#include <vector>

#include "config_tool/device_link.h"
#include "config_tool/interface_file.h"
#include "config_tool/shell/bollard_context.h"
#include "os/win32/dialog.h"

namespace bollard {

class CHYConfigNetwork : public win32::CPropertyPageBase {
 public:
  CHYConfigNetwork(BollardContext& context, DeviceLink& link, const InterfaceEntry& entry,
                   std::vector<InterfaceEntry>* received);

  // Fills the page from the chosen entry (the boot choice is set once, when
  // the page opens, from the entry's).
  void LoadFromEntry();
  void SetBoot(int boot);
  int boot() const { return boot_; }
  NetworkSettings ReadSettings() const;
  // Writes the interface file and sends it.
  void Apply();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  uint32_t Address(int id, int* filled) const;
  void SetAddress(int id, uint32_t ip);
  void OnDeviceChosen();

  BollardContext& context_;
  DeviceLink& link_;
  InterfaceEntry entry_;
  std::vector<InterfaceEntry>* received_;
  int boot_ = kBootStatic;
};

}  // namespace bollard
