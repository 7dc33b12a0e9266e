#include "dialogs/server_info_rules.h"

namespace dialogs {

int DefaultServerPort(int type_index, bool ddns) {
  if (ddns) return kDynamicAddressPort;
  return type_index == kTypeCamera ? kCameraServerPort : kHostingServerPort;
}

bool IsStorableListName(const std::string& name) {
  if (name.empty()) return true;  // refused on its own, with its own message
  if (name.front() == ' ' || name.back() == ' ') return false;
  for (unsigned char c : name)
    if (c == '=' || c == ']' || c < 0x20 || c == 0x7F) return false;
  return true;
}

int ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535 ? value : -1;
}

const settings::TextId* FirstServerInfoError(const ServerInfoFields& fields, bool registering,
                                             const std::function<bool(const std::string&)>& name_exists) {
  namespace text = settings::text;
  if (fields.name.empty()) return &text::kServerInfoErrorInsertName;
  if (!IsStorableListName(fields.name)) return &text::kServerInfoErrorInvalidName;
  if (registering && name_exists && name_exists(fields.name)) return &text::kServerInfoErrorUniqueName;
  if (fields.ip_fields_filled < 4) return &text::kServerInfoErrorInsertIp;
  if (fields.type_index == kTypeNone) return &text::kServerInfoErrorInsertType;
  if (fields.ddns && fields.mac.empty()) return &text::kServerInfoErrorInsertMac;
  if (ParsePort(fields.port) < 0) return &text::kServerInfoErrorInvalidPort;
  return nullptr;
}

}  // namespace dialogs
