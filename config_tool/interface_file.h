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
};

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
