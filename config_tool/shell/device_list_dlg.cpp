#include "config_tool/shell/device_list_dlg.h"

#include <commctrl.h>

#include "config_tool/device_actions.h"
#include "config_tool/shell/config_manager_dlg.h"
#include "config_tool/shell/login_dlg.h"
#include "config_tool/shell/resource.h"

namespace bollard {
namespace {

// Posted at WM_INITDIALOG so the list is on screen before discovery blocks.
constexpr UINT kRefreshOnOpen = WM_APP + 1;

}  // namespace

CDeviceListDlg::CDeviceListDlg(BollardContext& context)
    : CDialogBase(context.instance, IDD_DEVICE_LIST), context_(context) {
  ask_login = [this](HWND owner, std::string* user_id, std::string* password) {
    CLoginDlg login(context_.instance);
    if (login.DoModal(owner) != IDOK) return false;
    *user_id = login.user_id();
    *password = login.password();
    return true;
  };
  open_config = [this](HWND owner, DeviceLink& link, const DiscoveredDevice& device) {
    CConfigManagerDlg config(context_, link, device.entry);
    config.DoModal(owner);
  };
}

BOOL CDeviceListDlg::OnInitDialog() {
  list_.Attach(Item(IDC_DEVICE_LIST));
  list_.SetFullRowSelect();
  list_.AddColumn("Camera Name", 150);
  list_.AddColumn("Boot Proto", 90);
  list_.AddColumn("IP Address", 150);
  list_.AddColumn("Net Mask", 150);
  list_.AddColumn("MAC Address", 150);
  SendDlgItemMessageW(hwnd(), IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  PostMessageW(hwnd(), kRefreshOnOpen, 0, 0);
  return TRUE;
}

INT_PTR CDeviceListDlg::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRefreshOnOpen) {
    Refresh();
    return TRUE;
  }
  return CDialogBase::HandleMessage(message, wparam, lparam);
}

void CDeviceListDlg::SetProgress(int percent) {
  SendDlgItemMessageW(hwnd(), IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void CDeviceListDlg::Refresh() {
  SetProgress(0);
  list_.Clear();
  devices_.clear();
  UpdateWindow(hwnd());
  int error = 0;
  int status = Discover(
      context_.options.link,
      [this](const DiscoveredDevice& device) {
        devices_.push_back(device);
        const InterfaceEntry& e = device.entry;
        list_.AddRow({e.host_name, e.boot_proto, e.address, DottedQuad(e.netmask), MacText(e.mac)});
        UpdateWindow(list_.hwnd());
      },
      &error, context_.trace);
  if (status != 0) {
    context_.sink->ShowMessage("Send setupRequest Error ErrorCode = " + std::to_string(error));
    return;
  }
  SetProgress(100);
}

void CDeviceListDlg::Setup() {
  int row = list_.SelectedRow();
  if (row < 0 || row >= static_cast<int>(devices_.size())) return;
  const DiscoveredDevice device = devices_[static_cast<size_t>(row)];
  DeviceLink link(context_.options.link);
  if (link.Open(device.source_ip) != 0) {
    context_.sink->ShowMessage("Device socket open failed ErrorCode = " + std::to_string(os::LastSocketError()));
    return;
  }
  std::string user_id, password;
  if (!ask_login(hwnd(), &user_id, &password)) return;
  if (LoginAndReport(link, user_id, password, *context_.sink)) open_config(hwnd(), link, device);
}

bool CDeviceListDlg::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_REFRESH:
      Refresh();
      return true;
    case IDC_SETUP:
      Setup();
      return true;
    default:
      return CDialogBase::OnCommand(id, code, control);
  }
}

bool CDeviceListDlg::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->idFrom == IDC_DEVICE_LIST && header->code == NM_DBLCLK) {
    Setup();
    *result = 0;
    return true;
  }
  return false;
}

}  // namespace bollard
