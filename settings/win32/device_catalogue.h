#pragma once
// The pan/tilt device catalogue offered by the camera setup sheet: section
// [VENDOR] names the vendors in file order; each vendor's own section names
// its device modules in file order, each with its integer device code.
#include <string>
#include <vector>

namespace settings {

class IniHandler;

struct PanTiltDevice {
  std::string name;
  int code = -1;  // -1 when the value is absent
};

struct PanTiltVendor {
  std::string name;
  std::vector<PanTiltDevice> devices;
};

inline constexpr char kVendorSection[] = "VENDOR";

// Empty when the settings file has no [VENDOR] section.
std::vector<PanTiltVendor> ReadPanTiltCatalogue(IniHandler& ini);

}  // namespace settings
