#pragma once
// The interface file the network page writes and sends to the device: the
// device's own key=value format, one line per setting.
#include <cstdint>
#include <string>

namespace bollard {

enum BootChoice { kBootDhcp = 0, kBootStatic = 1 };

// What the network page holds when "Apply" is pressed.
struct NetworkSettings {
  std::string device;
  // As the device reported it: the page has no control for it, so Apply
  // never switches an interface on or off behind the user's back.
  std::string on_boot = "yes";
  int boot = kBootStatic;
  bool dns = false;  // shown on the page, written nowhere
  std::string dhcp_host_name;
  std::string static_host_name;
  std::string page_mac[6];   // the six read-only parts on the page
  std::string entry_mac[6];  // the MAC parts of the chosen interface entry
  // Address controls in host order: the first field in the top byte.
  uint32_t ip = 0;
  uint32_t netmask = 0;
  uint32_t gateway = 0;
  // How many of each control's four fields hold a number.
  int ip_fields = 4;
  int netmask_fields = 4;
  int gateway_fields = 4;
};

// The address control a static setting is refused for.
enum class AddressField { kNone, kAddress, kNetmask, kGateway };

// A static interface needs an address, a mask and a gateway that keep the
// device reachable: each control filled whole, a mask that is one, an
// address that is a host of its subnet and a gateway inside that subnet.
// kNone when they do, else the field and, in *message, why (naming it).
// DHCP settings always pass.
AddressField CheckStaticAddresses(const NetworkSettings& settings, std::string* message);

// The file's lines, each ended by a single newline.
std::string FormatInterfaceFile(const NetworkSettings& settings);

// "c:\%s" with the device name on Windows; `directory` replaces "c:\" where
// drive C is not there (and in tests).
std::string InterfaceFilePath(const std::string& directory, const std::string& device);

enum class WriteOutcome { kWritten, kNeedHostName, kOpenFailed };

// Checks the host name of the boot choice, then writes the file at `path`
// byte for byte (no line-end translation).
WriteOutcome WriteInterfaceFile(const NetworkSettings& settings, const std::string& path);

}  // namespace bollard
