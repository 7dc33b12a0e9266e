// The configuration report parser on arbitrary datagrams and texts.
#include <cstdint>
#include <cstring>
#include <vector>

#include "config_tool/config_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so a read past the end is caught.
  std::vector<uint8_t> copy(data, data + size);
  bollard::ConfigReport report;
  bollard::ParseConfigReport(copy.data(), copy.size(), &report, nullptr);
  std::vector<bollard::InterfaceEntry> entries;
  bollard::ParseConfigText(reinterpret_cast<const char*>(copy.data()), copy.size(), 1000, "x", &entries, nullptr);
  for (const auto& e : entries) {
    if (e.device.size() >= bollard::kEntryDeviceWidth || e.host_name.size() >= bollard::kEntryHostNameWidth)
      __builtin_trap();
  }
  return 0;
}
