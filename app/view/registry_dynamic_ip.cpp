#include "app/view/registry_dynamic_ip.h"

#include "settings/win32/registry_key.h"

namespace app::view {

void RegistryDynamicIp::Save(const std::string& display_name, const std::string& ip) {
  settings::RegistryKey key;
  if (settings::IsServerKeyName(display_name) && key.OpenOrCreate(HKEY_CURRENT_USER, settings::ServerKeyPath(display_name)))
    key.SetString(settings::reg::kDynamicIp, ip);
}

}  // namespace app::view
