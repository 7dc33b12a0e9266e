#include "dialogs/win32/page_network.h"

#include <cstdlib>

#include "dialogs/proxy_rules.h"
#include "dialogs/win32/dialog_ids.h"
#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace dialogs {
namespace {

using settings::IniHandler;
namespace text = settings::text;

}  // namespace

CPageNetwork::CPageNetwork(HINSTANCE instance, net::ProxySettings& proxy)
    : CPropertyPageBase(instance, IDD_PAGE_NETWORK, IniHandler::Instance().GetString(text::kNetworkCaption)),
      proxy_(proxy) {}

void CPageNetwork::SetLabels() {
  IniHandler& ini = IniHandler::Instance();
  SetItemText(IDC_PROXY_GROUP, ini.GetString(text::kNetworkProxy));
  SetItemText(IDC_PROXY_MESSAGE, ini.GetText(text::kNetworkProxyMessage));
  SetItemText(IDC_PROXY_VERSION_LABEL, ini.GetString(text::kNetworkVersion));
  SetItemText(IDC_PROXY_IP_LABEL, ini.GetString(text::kNetworkProxyIp));
  SetItemText(IDC_PROXY_PORT_LABEL, ini.GetString(text::kNetworkProxyPort));
  SetItemText(IDC_PROXY_ID_LABEL, ini.GetString(text::kNetworkProxyId));
  SetItemText(IDC_PROXY_PASSWD_LABEL, ini.GetString(text::kNetworkProxyPasswd));
  HWND versions = Item(IDC_PROXY_VERSION);
  for (const settings::TextId* item : {&text::kNetworkSocks4, &text::kNetworkSocks5, &text::kNetworkHttpProxy}) {
    SendMessageW(versions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(ini.GetString(*item)).c_str()));
  }
}

BOOL CPageNetwork::OnInitDialog() {
  SetLabels();
  IniHandler::Instance().ApplyFont(hwnd());
  const settings::ProxyFields f = settings::FromProxySettings(proxy_);
  SetChecked(IDC_USE_PROXY, f.use_proxy);
  SendDlgItemMessageW(hwnd(), IDC_PROXY_VERSION, CB_SETCURSEL, static_cast<WPARAM>(ProxyIndexOf(f.version)), 0);
  SetItemText(IDC_PROXY_IP, f.ip);
  SetDlgItemInt(hwnd(), IDC_PROXY_PORT, static_cast<UINT>(f.port), FALSE);
  SetItemText(IDC_PROXY_ID, f.id);
  SetItemText(IDC_PROXY_PASSWD, f.password);
  ApplyEnabling();
  return TRUE;
}

int CPageNetwork::VersionIndex() const {
  return static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_PROXY_VERSION, CB_GETCURSEL, 0, 0));
}

void CPageNetwork::ApplyEnabling() {
  const ProxyEnabling on = ProxyFieldsEnabled(IsChecked(IDC_USE_PROXY), VersionIndex());
  EnableItem(IDC_PROXY_VERSION, on.version);
  EnableItem(IDC_PROXY_IP, on.ip);
  EnableItem(IDC_PROXY_PORT, on.port);
  EnableItem(IDC_PROXY_ID, on.id);
  EnableItem(IDC_PROXY_PASSWD, on.password);
}

bool CPageNetwork::OnCommand(int id, int code, HWND control) {
  if (id == IDC_USE_PROXY && code == BN_CLICKED) {
    ApplyEnabling();
    return true;
  }
  if (id == IDC_PROXY_VERSION && code == CBN_SELCHANGE) {
    SetDlgItemInt(hwnd(), IDC_PROXY_PORT, static_cast<UINT>(ProxyPortOf(VersionIndex())), FALSE);
    ApplyEnabling();
    return true;
  }
  return CPropertyPageBase::OnCommand(id, code, control);
}

bool CPageNetwork::Apply() {
  settings::ProxyFields f;
  f.use_proxy = IsChecked(IDC_USE_PROXY);
  const int index = VersionIndex();
  f.version = ProxyCodeOf(index);
  f.ip = ItemText(IDC_PROXY_IP);
  const std::string port = ItemText(IDC_PROXY_PORT);
  f.port = std::atoi(port.c_str());
  f.id = ItemText(IDC_PROXY_ID);
  f.password = ItemText(IDC_PROXY_PASSWD);
  if (const settings::TextId* error = FirstProxyError(f.use_proxy, index, f.ip, port, f.id, f.password)) {
    IniHandler::Instance().ShowMessage(*error);
    return false;
  }
  settings::SaveProxyFields(f);
  proxy_ = settings::ToProxySettings(f);
  return true;
}

bool CPageNetwork::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->code == PSN_APPLY) {
    // A failed check keeps the sheet open on this page, so the value can be corrected.
    *result = Apply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
    return true;
  }
  return CPropertyPageBase::OnNotify(header, result);
}

}  // namespace dialogs
