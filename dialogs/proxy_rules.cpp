#include "dialogs/proxy_rules.h"

#include <cstdint>

#include "dialogs/server_info_rules.h"
#include "os/socket.h"

namespace dialogs {

int ProxyCodeOf(int index) {
  switch (index) {
    case kProxySocks4: return 4;
    case kProxySocks5: return 5;
    default: return 80;
  }
}

int ProxyIndexOf(int code) {
  switch (code) {
    case 4: return kProxySocks4;
    case 5: return kProxySocks5;
    default: return kProxyHttp;
  }
}

int ProxyPortOf(int index) { return index == kProxyHttp ? 80 : 1080; }

ProxyEnabling ProxyFieldsEnabled(bool use_proxy, int index) {
  if (!use_proxy) return {};
  return {true, true, true, index != kProxyHttp, index == kProxySocks5};
}

const settings::TextId* FirstProxyError(bool use_proxy, int index, const std::string& ip, const std::string& port,
                                        const std::string& id, const std::string& password) {
  namespace text = settings::text;
  if (!use_proxy) return nullptr;
  if (ip.empty()) return &text::kNetworkErrorEmptyIp;
  uint32_t address = 0;
  if (!os::ParseIpv4(ip, &address)) return &text::kNetworkErrorInvalidIp;
  if (ParsePort(port) < 0) return &text::kNetworkErrorInvalidPort;
  if (index == kProxySocks5 && !id.empty() && password.empty()) return &text::kNetworkErrorEmptyPasswd;
  return nullptr;
}

}  // namespace dialogs
