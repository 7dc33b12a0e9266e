#include "settings/win32/device_catalogue.h"

#include "settings/win32/ini_handler.h"

namespace settings {

std::vector<PanTiltVendor> ReadPanTiltCatalogue(IniHandler& ini) {
  std::vector<PanTiltVendor> vendors;
  for (std::string& vendor : ini.GetSectionKeys(kVendorSection)) {
    PanTiltVendor entry;
    for (std::string& device : ini.GetSectionKeys(vendor)) {
      int code = ini.GetInt(vendor, device, -1);
      entry.devices.push_back({std::move(device), code});
    }
    entry.name = std::move(vendor);
    vendors.push_back(std::move(entry));
  }
  return vendors;
}

}  // namespace settings
