#include "config_tool/interface_file.h"

#include <cstdio>

#include "config_tool/config_report.h"
#include "os/file.h"

namespace bollard {

std::string FormatInterfaceFile(const NetworkSettings& s) {
  std::string out = "DEVICE=" + s.device + "\n" + "ONBOOT=" + (s.on_boot.empty() ? "yes" : s.on_boot) + "\n";
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

namespace {

// The prefix length of a mask whose ones are contiguous from the top; -1 otherwise.
int PrefixLength(uint32_t mask) {
  const uint32_t inverted = ~mask;
  if ((inverted & (inverted + 1)) != 0) return -1;
  int ones = 0;
  for (uint32_t m = mask; m & 0x80000000u; m <<= 1) ++ones;
  return ones;
}

// Neither the subnet's own address nor its broadcast address (subnets of one
// or two addresses have no such pair).
bool IsHostOf(uint32_t ip, uint32_t mask, int prefix) {
  if (prefix >= 31) return true;
  const uint32_t host = ip & ~mask;
  return host != 0 && host != ~mask;
}

}  // namespace

AddressField CheckStaticAddresses(const NetworkSettings& s, std::string* message) {
  if (s.boot != kBootStatic) return AddressField::kNone;
  struct Control {
    AddressField field;
    const char* name;
    int filled;
  };
  const Control controls[] = {{AddressField::kAddress, "Address", s.ip_fields},
                              {AddressField::kNetmask, "Subnet Mask", s.netmask_fields},
                              {AddressField::kGateway, "Default Gateway Address", s.gateway_fields}};
  for (const Control& c : controls) {
    if (c.filled < 4) {
      *message = std::string("Please enter the whole ") + c.name + " of a statically set interface";
      return c.field;
    }
  }
  const int prefix = PrefixLength(s.netmask);
  if (prefix < 1) {
    *message = "The Subnet Mask " + DottedQuad(s.netmask) + " is not a subnet mask";
    return AddressField::kNetmask;
  }
  const std::string subnet = DottedQuad(s.ip & s.netmask) + "/" + std::to_string(prefix);
  if (!IsHostOf(s.ip, s.netmask, prefix)) {
    *message = "The Address " + DottedQuad(s.ip) + " is not a host address of its subnet " + subnet;
    return AddressField::kAddress;
  }
  if ((s.gateway & s.netmask) != (s.ip & s.netmask) || !IsHostOf(s.gateway, s.netmask, prefix)) {
    *message = "The Default Gateway Address " + DottedQuad(s.gateway) + " is not a host of the Address's subnet " + subnet;
    return AddressField::kGateway;
  }
  if (s.gateway == s.ip) {
    *message = "The Default Gateway Address cannot be the Address itself";
    return AddressField::kGateway;
  }
  return AddressField::kNone;
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
  FILE* f = os::OpenFile(path, "wb");
  if (!f) return WriteOutcome::kOpenFailed;
  std::string text = FormatInterfaceFile(s);
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  return ok ? WriteOutcome::kWritten : WriteOutcome::kOpenFailed;
}

}  // namespace bollard
