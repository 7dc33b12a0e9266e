#include "dialogs/win32/server_info_dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "dialogs/win32/dialog_ids.h"
#include "os/win32/text.h"
#include "dialogs/server_info_rules.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace dialogs {
namespace {

using settings::IniHandler;
namespace text = settings::text;

// The type list's texts are the program's own; the stored types are the
// server list's ("Host Server", "Camera").
constexpr const char* kTypeItems[] = {"Hosting Server", "Camera"};

int TypeIndexOf(const std::string& type) {
  if (type == settings::kHostServerType) return kTypeHostingServer;
  if (type == settings::kCameraServerType) return kTypeCamera;
  return kTypeNone;
}

}  // namespace

ServerInfoDialog::ServerInfoDialog(HINSTANCE instance, Mode mode, settings::ServerRecord record,
                                   std::function<bool(const std::string&)> name_exists)
    : CDialogBase(instance, IDD_SERVER_INFO_NAME),
      mode_(mode),
      record_(std::move(record)),
      name_exists_(std::move(name_exists)) {}

BOOL ServerInfoDialog::OnInitDialog() {
  IniHandler& ini = IniHandler::Instance();
  SetLabels();
  SetItemText(IDOK, ini.GetString(text::kServerInfoOk));
  SetItemText(IDCANCEL, ini.GetString(text::kServerInfoCancel));
  ini.ApplyFont(hwnd());
  SetItemText(IDC_SERVER_NAME, record_.name);
  SendDlgItemMessageW(hwnd(), IDC_SERVER_NAME, EM_LIMITTEXT, kMaxServerNameChars, 0);
  SetAddress(record_.ip);
  if (!registering()) SetDlgItemInt(hwnd(), IDC_SERVER_PORT, static_cast<UINT>(record_.port), TRUE);
  SendDlgItemMessageW(hwnd(), IDC_SERVER_PORT, EM_LIMITTEXT, 6, 0);
  HWND types = Item(IDC_SERVER_TYPE);
  for (const char* item : kTypeItems)
    SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(item).c_str()));
  SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(TypeIndexOf(record_.type)), 0);
  SetChecked(IDC_USE_DDNS, record_.ddns);
  SetItemText(IDC_SERVER_MAC, record_.mac);
  ApplyType();
  ApplyDdnsMode();
  return TRUE;
}

void ServerInfoDialog::SetLabels() {
  IniHandler& ini = IniHandler::Instance();
  SetItemText(IDC_LABEL_SERVER_NAME, ini.GetString(text::kServerInfoName));
  SetItemText(IDC_LABEL_SERVER_TYPE, ini.GetString(text::kServerInfoType));
}

void ServerInfoDialog::SetAddress(const std::string& ip) {
  int a[4] = {0, 0, 0, 0};
  char tail = 0;
  if (std::sscanf(ip.c_str(), "%d.%d.%d.%d%c", &a[0], &a[1], &a[2], &a[3], &tail) == 4) {
    SendDlgItemMessageW(hwnd(), IDC_SERVER_IP, IPM_SETADDRESS, 0, MAKEIPADDRESS(a[0], a[1], a[2], a[3]));
  } else {
    SendDlgItemMessageW(hwnd(), IDC_SERVER_IP, IPM_CLEARADDRESS, 0, 0);
  }
}

int ServerInfoDialog::TypeIndex() const {
  return static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_SERVER_TYPE, CB_GETCURSEL, 0, 0));
}

void ServerInfoDialog::ApplyType() {
  const bool camera = TypeIndex() != kTypeHostingServer;
  if (!camera) SetChecked(IDC_USE_DDNS, false);
  EnableItem(IDC_USE_DDNS, camera);
}

void ServerInfoDialog::ApplyDdnsMode() {
  IniHandler& ini = IniHandler::Instance();
  const bool ddns = IsChecked(IDC_USE_DDNS);
  SetItemText(IDC_LABEL_SERVER_IP, ini.GetString(ddns ? text::kServerInfoDdnsIp : text::kServerInfoIp));
  SetItemText(IDC_LABEL_SERVER_PORT, ini.GetString(ddns ? text::kServerInfoDdnsPort : text::kServerInfoPort));
  EnableItem(IDC_LABEL_MAC, ddns);
  ShowWindow(Item(IDC_SERVER_MAC), ddns ? SW_SHOW : SW_HIDE);
  EnableItem(IDC_LABEL_DYNAMIC_IP, ddns);
  EnableItem(IDC_DYNAMIC_IP, ddns);
  if (ddns) {
    const std::string name = ItemText(IDC_SERVER_NAME);
    if (!name.empty()) {
      const std::string dynamic_ip = settings::LoadDynamicIp(name);
      if (!dynamic_ip.empty()) SetItemText(IDC_DYNAMIC_IP, dynamic_ip);
    }
  } else {
    SetItemText(IDC_DYNAMIC_IP, "");
  }
  if (registering()) SetDlgItemInt(hwnd(), IDC_SERVER_PORT, static_cast<UINT>(DefaultServerPort(TypeIndex(), ddns)), TRUE);
}

bool ServerInfoDialog::OnCommand(int id, int code, HWND control) {
  if (id == IDC_USE_DDNS && code == BN_CLICKED) {
    ApplyDdnsMode();
    return true;
  }
  if (id == IDC_SERVER_TYPE && code == CBN_SELCHANGE) {
    ApplyType();
    ApplyDdnsMode();
    return true;
  }
  return CDialogBase::OnCommand(id, code, control);
}

void ServerInfoDialog::OnOK() {
  DWORD address = 0;
  ServerInfoFields fields;
  fields.name = ItemText(IDC_SERVER_NAME);
  fields.ip_fields_filled =
      static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_SERVER_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)));
  fields.type_index = TypeIndex();
  fields.ddns = IsChecked(IDC_USE_DDNS);
  fields.mac = ItemText(IDC_SERVER_MAC);
  fields.port = ItemText(IDC_SERVER_PORT);
  // The entry's own name as it was opened: a new entry has none.
  const std::string own_name = registering() ? std::string() : record_.name;
  if (const settings::TextId* error = FirstServerInfoError(fields, own_name, name_exists_)) {
    IniHandler::Instance().ShowMessage(*error);
    return;
  }
  char ip[16];
  std::snprintf(ip, sizeof ip, "%d.%d.%d.%d", static_cast<int>(FIRST_IPADDRESS(address)),
                static_cast<int>(SECOND_IPADDRESS(address)), static_cast<int>(THIRD_IPADDRESS(address)),
                static_cast<int>(FOURTH_IPADDRESS(address)));
  record_.name = fields.name;
  record_.ip = ip;
  record_.port = ParsePort(fields.port);
  record_.type = fields.type_index == kTypeHostingServer ? settings::kHostServerType : settings::kCameraServerType;
  record_.ddns = fields.ddns;
  record_.mac = fields.mac;
  End(IDOK);
}

}  // namespace dialogs
