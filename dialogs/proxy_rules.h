#pragma once
// The network page's rules that do not need a window: the proxy kinds of the
// version list, which fields each state enables, the port each kind starts
// with, and which check of OK fails first.
#include <string>

#include "settings/text_table.h"

namespace dialogs {

// Version list: "Socks Version 4", "Socks Version 5", "HTTP_PROXY".
enum ProxyIndex : int { kProxySocks4 = 0, kProxySocks5 = 1, kProxyHttp = 2 };

// The stored code of a list index (4, 5, 80) and back (anything else is HTTP).
int ProxyCodeOf(int index);
int ProxyIndexOf(int code);
// The port a kind starts with when it is chosen: 1080 for SOCKS, 80 for HTTP.
int ProxyPortOf(int index);

struct ProxyEnabling {
  bool version = false, ip = false, port = false, id = false, password = false;
  bool operator==(const ProxyEnabling&) const = default;
};
// SOCKS 4 takes an ID only, SOCKS 5 an ID and a password, HTTP neither;
// without the proxy nothing is editable.
ProxyEnabling ProxyFieldsEnabled(bool use_proxy, int index);

// The first check of OK that fails, or nullptr. Nothing is checked while the
// proxy is off: the values are stored as they are.
// `port` as typed: 1 to 65535.
const settings::TextId* FirstProxyError(bool use_proxy, int index, const std::string& ip, const std::string& port,
                                        const std::string& id, const std::string& password);

}  // namespace dialogs
