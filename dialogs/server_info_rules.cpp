#include "dialogs/server_info_rules.h"

namespace dialogs {

int DefaultServerPort(int type_index, bool ddns) {
  if (ddns) return kDynamicAddressPort;
  return type_index == kTypeCamera ? kCameraServerPort : kHostingServerPort;
}

const settings::TextId* FirstServerInfoError(const ServerInfoFields& fields, bool registering,
                                             const std::function<bool(const std::string&)>& name_exists) {
  namespace text = settings::text;
  if (fields.name.empty()) return &text::kServerInfoErrorInsertName;
  if (registering && name_exists && name_exists(fields.name)) return &text::kServerInfoErrorUniqueName;
  if (fields.ip_fields_filled < 4) return &text::kServerInfoErrorInsertIp;
  if (fields.type_index == kTypeNone) return &text::kServerInfoErrorInsertType;
  if (fields.ddns && fields.mac.empty()) return &text::kServerInfoErrorInsertMac;
  return nullptr;
}

}  // namespace dialogs
