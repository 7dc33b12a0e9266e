#pragma once
// Where a direct view's node remembers the address the dynamic-IP lookup
// gave: value "DYNAMIC_IP" under the server entry's own key in the
// program's registry key.
#include "node/link/node_window.h"

namespace app::view {

class RegistryDynamicIp : public node::DynamicIpStore {
 public:
  void Save(const std::string& display_name, const std::string& ip) override;
};

}  // namespace app::view
