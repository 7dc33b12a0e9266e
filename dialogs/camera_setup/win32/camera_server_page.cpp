#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/setup_pages.h"

#include <commctrl.h>

namespace dialogs {
namespace {

constexpr int kPortDigits = 5;

void ShowAddress(HWND control, const std::array<uint8_t, 4>& f) {
  SendMessageW(control, IPM_SETADDRESS, 0, MAKEIPADDRESS(f[0], f[1], f[2], f[3]));
}

std::array<uint8_t, 4> AddressOf(HWND control) {
  DWORD address = 0;
  SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
  return {static_cast<uint8_t>(FIRST_IPADDRESS(address)), static_cast<uint8_t>(SECOND_IPADDRESS(address)),
          static_cast<uint8_t>(THIRD_IPADDRESS(address)), static_cast<uint8_t>(FOURTH_IPADDRESS(address))};
}

}  // namespace

CCameraServerPage::CCameraServerPage(HINSTANCE instance, SetupSheetState& state)
    : CCameraSetupPage(instance, IDD_SERVER_PAGE, "Server", state) {}

void CCameraServerPage::Load() {
  using namespace setup;
  for (int id : {IDC_CAMERA_PORT, IDC_HOST_PORT, IDC_DDNS_PORT, IDC_PORT_FORWARD}) LimitText(id, kPortDigits);
  CheckNumber(IDC_CAMERA_PORT, "Camera Port", 1, 65535);
  CheckAddress(IDC_HOST_IP, "Host Server IP");
  CheckNumber(IDC_HOST_PORT, "Host Server Port", 1, 65535);
  CheckAddress(IDC_DDNS_IP, "DDNS IP");
  CheckNumber(IDC_DDNS_PORT, "DDNS Port", 1, 65535);
  CheckNumber(IDC_PORT_FORWARD, "Port Forward", 1, 65535);
  SetNumber(IDC_CAMERA_PORT, GetU16(info(), kCameraPort));
  const uint8_t* host = info().data() + kHostServerIp;
  ShowAddress(Item(IDC_HOST_IP), {host[0], host[1], host[2], host[3]});
  SetNumber(IDC_HOST_PORT, GetU16(info(), kHostServerPort));
  std::array<uint8_t, 4> ddns{};
  if (ParseIpv4Text(GetFieldText(info(), kDdnsIpText, kDdnsIpWidth), &ddns))
    ShowAddress(Item(IDC_DDNS_IP), ddns);
  else
    SendDlgItemMessageW(hwnd(), IDC_DDNS_IP, IPM_CLEARADDRESS, 0, 0);
  SetNumber(IDC_DDNS_PORT, GetU16(info(), kDdnsPort));
  SetChecked(IDC_USE_PORT_FORWARD, GetU8(info(), kPortForwardOn) != 0);
  SetNumber(IDC_PORT_FORWARD, GetU16(info(), kPortForwardPort));
  EnableItem(IDC_PORT_FORWARD, IsChecked(IDC_USE_PORT_FORWARD));
}

void CCameraServerPage::Store() {
  using namespace setup;
  StoreNumberU16(IDC_CAMERA_PORT, kCameraPort);
  if (Changed(IDC_HOST_IP)) {
    const std::array<uint8_t, 4> host = AddressOf(Item(IDC_HOST_IP));
    std::copy(host.begin(), host.end(), info().data() + kHostServerIp);
  }
  StoreNumberU16(IDC_HOST_PORT, kHostServerPort);
  if (Changed(IDC_DDNS_IP)) PutFieldText(info(), kDdnsIpText, kDdnsIpWidth, FormatIpv4Text(AddressOf(Item(IDC_DDNS_IP))));
  StoreNumberU16(IDC_DDNS_PORT, kDdnsPort);
  StoreCheckU8(IDC_USE_PORT_FORWARD, kPortForwardOn);
  StoreNumberU16(IDC_PORT_FORWARD, kPortForwardPort);
}

bool CCameraServerPage::OnCommand(int id, int code, HWND control) {
  if (id == IDC_USE_PORT_FORWARD && code == BN_CLICKED) {
    EnableItem(IDC_PORT_FORWARD, IsChecked(IDC_USE_PORT_FORWARD));
    return true;
  }
  return CCameraSetupPage::OnCommand(id, code, control);
}

}  // namespace dialogs
