#pragma once
// The configuration report a device sends in answer to a setup request (and
// before a configuration result): the device's interface files as text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config_tool/device_message.h"

namespace bollard {

// Text widths of an interface entry, terminating NUL included.
constexpr size_t kEntryDeviceWidth = 8;
constexpr size_t kEntryOnBootWidth = 8;
constexpr size_t kEntryBootProtoWidth = 16;
constexpr size_t kEntryMacPartWidth = 3;
constexpr size_t kEntryHostNameWidth = 32;
constexpr size_t kEntryAddressWidth = 34;
constexpr size_t kReportAddressField = 32;

// What an older device, which sends no address text, is shown as.
inline constexpr const char* kOldVersionAddress = "Unkown, OLD Version ^^";

struct InterfaceEntry {
  std::string device;      // "eth0" / "eth1"
  std::string on_boot;     // "yes" / "no"
  std::string boot_proto;  // "none" / "static" / "dhcp"
  // Addresses in host order: the first octet in the top byte.
  uint32_t ip = 0;
  uint32_t netmask = 0;
  uint32_t gateway = 0;
  std::string mac[6];      // two characters each
  std::string host_name;
  std::string address;     // the report's address text
};

struct ConfigReport {
  uint32_t value = 0;
  bool old_form = false;
  std::string address;
  uint32_t count = 0;
  std::vector<InterfaceEntry> entries;
};

// Parses a whole type 1 datagram. Returns 0 and fills `report` on success, -1
// when the datagram is short or not a report or its text breaks the rules.
// Each key token is written to `trace` (standard error in the program) as
// "token = %s\n"; pass nullptr for silence.
int ParseConfigReport(const uint8_t* data, size_t length, ConfigReport* report, FILE* trace);

// Parses the configuration text: interfaces one after the other, each ended
// by a "#" token. A HOSTNAME's value is the rest of its line as written, dots
// and colons included. Text that ends before an interface's "#" ends the report; the
// interface read so far counts when it held at least one key. At most
// `max_entries` interfaces are read. The parse ends with -1 at a value outside
// its list, a number above 255 or a MAC address with fewer than six parts on
// its line.
int ParseConfigText(const char* text, size_t length, uint32_t max_entries, const std::string& address,
                    std::vector<InterfaceEntry>* entries, FILE* trace);

// A report as a device sends it; an empty address means the older form.
Bytes EncodeConfigReport(uint32_t value, const std::string& address, uint32_t count, const std::string& text);

// "%d.%d.%d.%d" of a host-order address.
std::string DottedQuad(uint32_t ip);
// "%s:%s:%s:%s:%s:%s" of the MAC parts.
std::string MacText(const std::string (&mac)[6]);

}  // namespace bollard
