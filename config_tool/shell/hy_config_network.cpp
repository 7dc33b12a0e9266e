#include "config_tool/shell/hy_config_network.h"

#include <commctrl.h>

#include "config_tool/device_actions.h"
#include "config_tool/device_message.h"
#include "os/clock.h"
#include "os/file.h"
#include "config_tool/shell/resource.h"
#include "os/win32/text.h"

namespace bollard {
namespace {

constexpr int kMacIds[6] = {IDC_MAC1, IDC_MAC2, IDC_MAC3, IDC_MAC4, IDC_MAC5, IDC_MAC6};
constexpr int kDhcpGroup[] = {IDC_LABEL_DHCP_HOSTNAME, IDC_DHCP_HOSTNAME, IDC_DNS};
constexpr int kStaticGroup[] = {IDC_LABEL_ADDRESS, IDC_IP_ADDRESS, IDC_LABEL_NETMASK,   IDC_NETMASK,
                                IDC_LABEL_GATEWAY, IDC_GATEWAY,   IDC_LABEL_MAC,       IDC_MAC1,
                                IDC_MAC2,          IDC_MAC3,      IDC_MAC4,            IDC_MAC5,
                                IDC_MAC6,          IDC_MAC_SEP1,  IDC_MAC_SEP2,        IDC_MAC_SEP3,
                                IDC_MAC_SEP4,      IDC_MAC_SEP5,  IDC_LABEL_STATIC_HOSTNAME, IDC_STATIC_HOSTNAME};

}  // namespace

CHYConfigNetwork::CHYConfigNetwork(BollardContext& context, DeviceLink& link, const InterfaceEntry& entry,
                                   std::vector<InterfaceEntry>* received)
    : CPropertyPageBase(context.instance, IDD_NETWORK_PAGE, "Network Setup"),
      context_(context),
      link_(link),
      entry_(entry),
      received_(received) {}

BOOL CHYConfigNetwork::OnInitDialog() {
  // The device name travels in a 16-byte field; host names are kept in 32 bytes.
  LimitText(IDC_DEVICE_NAME, static_cast<int>(kDeviceField - 1));
  LimitText(IDC_DHCP_HOSTNAME, static_cast<int>(kEntryHostNameWidth - 1));
  LimitText(IDC_STATIC_HOSTNAME, static_cast<int>(kEntryHostNameWidth - 1));
  LoadFromEntry();
  // The page opens on what the device runs: Apply without a change must not
  // turn a DHCP device static (with no addresses, it would drop off the network).
  SetBoot(entry_.boot_proto == "dhcp" ? kBootDhcp : kBootStatic);
  return TRUE;
}

void CHYConfigNetwork::LoadFromEntry() {
  HWND combo = Item(IDC_DEVICE_NAME);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  std::wstring device = win32::Widen(entry_.device);
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(device.c_str()));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  // The interface's own addresses, never the report's address text: that is
  // the device's first interface, and would pre-fill a second one with it.
  SetAddress(IDC_IP_ADDRESS, entry_.ip);
  SetAddress(IDC_NETMASK, entry_.netmask);
  SetAddress(IDC_GATEWAY, entry_.gateway);
  for (int i = 0; i < 6; ++i) SetItemText(kMacIds[i], entry_.mac[i]);
  SetItemText(IDC_STATIC_HOSTNAME, entry_.host_name);
  // A DHCP interface's host name is shown where Apply reads it for DHCP.
  if (entry_.boot_proto == "dhcp") SetItemText(IDC_DHCP_HOSTNAME, entry_.host_name);
}

void CHYConfigNetwork::SetBoot(int boot) {
  boot_ = boot;
  CheckRadioButton(hwnd(), IDC_BOOT_DHCP, IDC_BOOT_STATIC, boot == kBootDhcp ? IDC_BOOT_DHCP : IDC_BOOT_STATIC);
  for (int id : kDhcpGroup) EnableItem(id, boot == kBootDhcp);
  for (int id : kStaticGroup) EnableItem(id, boot == kBootStatic);
}

uint32_t CHYConfigNetwork::Address(int id, int* filled) const {
  DWORD ip = 0;
  *filled = static_cast<int>(SendDlgItemMessageW(hwnd(), id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&ip)));
  return ip;  // first field in the top byte, as our host-order addresses
}

// 0.0.0.0 is what a device reports for an address it has not got: blank.
void CHYConfigNetwork::SetAddress(int id, uint32_t ip) {
  if (ip == 0)
    SendDlgItemMessageW(hwnd(), id, IPM_CLEARADDRESS, 0, 0);
  else
    SendDlgItemMessageW(hwnd(), id, IPM_SETADDRESS, 0, static_cast<LPARAM>(ip));
}

NetworkSettings CHYConfigNetwork::ReadSettings() const {
  NetworkSettings s;
  s.device = ItemText(IDC_DEVICE_NAME);
  s.on_boot = entry_.on_boot;
  s.boot = boot_;
  s.dns = IsChecked(IDC_DNS);
  s.dhcp_host_name = ItemText(IDC_DHCP_HOSTNAME);
  s.static_host_name = ItemText(IDC_STATIC_HOSTNAME);
  for (int i = 0; i < 6; ++i) {
    s.page_mac[i] = ItemText(kMacIds[i]);
    s.entry_mac[i] = entry_.mac[i];
  }
  s.ip = Address(IDC_IP_ADDRESS, &s.ip_fields);
  s.netmask = Address(IDC_NETMASK, &s.netmask_fields);
  s.gateway = Address(IDC_GATEWAY, &s.gateway_fields);
  return s;
}

void CHYConfigNetwork::Apply() {
  const AddressField refused = ApplyNetworkSettings(ReadSettings(), context_.FileDirectory(), os::TempDirectory(),
                                                    link_, received_, *context_.sink, context_.trace);
  const int control = refused == AddressField::kAddress   ? IDC_IP_ADDRESS
                      : refused == AddressField::kNetmask ? IDC_NETMASK
                      : refused == AddressField::kGateway ? IDC_GATEWAY
                                                          : 0;
  if (control) SetFocus(Item(control));
}

void CHYConfigNetwork::OnDeviceChosen() {
  HWND combo = Item(IDC_DEVICE_NAME);
  LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (index < 0) return;
  wchar_t name[64] = {};
  if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 64) return;
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name));
  std::string device = win32::Narrow(name);
  for (const InterfaceEntry& e : *received_) {
    if (e.device != device) continue;
    SetAddress(IDC_IP_ADDRESS, e.ip);
    SetAddress(IDC_NETMASK, e.netmask);
    SetAddress(IDC_GATEWAY, e.gateway);
    return;
  }
}

bool CHYConfigNetwork::OnCommand(int id, int code, HWND) {
  if ((id == IDC_BOOT_DHCP || id == IDC_BOOT_STATIC) && code == BN_CLICKED) {
    SetBoot(id == IDC_BOOT_DHCP ? kBootDhcp : kBootStatic);
    return true;
  }
  if (id == IDC_DEVICE_NAME && code == CBN_SELCHANGE) {
    OnDeviceChosen();
    return true;
  }
  return false;
}

}  // namespace bollard
