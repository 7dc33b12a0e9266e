#include "config_tool/interface_file.h"

#include <cstdio>

#include "config_tool/config_report.h"

namespace bollard {

std::string FormatInterfaceFile(const NetworkSettings& s) {
  std::string out = "DEVICE=" + s.device + "\n" + "ONBOOT=yes\n";
  if (s.boot == kBootDhcp) {
    out += "BOOTPROTO=dhcp\n";
    out += "MACADDR=" + MacText(s.page_mac) + "\n";
    out += "HOSTNAME=" + s.dhcp_host_name + "\n";
  } else {
    out += "BOOTPROTO=static\n";
    out += "IPADDR=" + DottedQuad(s.ip) + "\n";
    out += "NETMASK=" + DottedQuad(s.netmask) + "\n";
    out += "GATEWAY=" + DottedQuad(s.gateway) + "\n";
    out += "MACADDR=" + MacText(s.entry_mac) + "\n";
    out += "HOSTNAME=" + s.static_host_name + "\n";
  }
  return out;
}

std::string InterfaceFilePath(const std::string& directory, const std::string& device) {
  return directory + device;
}

WriteOutcome WriteInterfaceFile(const NetworkSettings& s, const std::string& path) {
  const std::string& host = s.boot == kBootDhcp ? s.dhcp_host_name : s.static_host_name;
  if (host.empty()) return WriteOutcome::kNeedHostName;
  // A device name is a file name, never a path: refuse one that would climb
  // out of the folder or name a drive.
  if (s.device.empty() || s.device.find_first_of("\\/:*?\"<>|") != std::string::npos || s.device == "." ||
      s.device == "..")
    return WriteOutcome::kOpenFailed;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return WriteOutcome::kOpenFailed;
  std::string text = FormatInterfaceFile(s);
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  return ok ? WriteOutcome::kWritten : WriteOutcome::kOpenFailed;
}

}  // namespace bollard
