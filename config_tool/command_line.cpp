#include "config_tool/command_line.h"

namespace bollard {
namespace {

bool ParsePort(const std::string& text, bool allow_zero, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > 65535 || (v == 0 && !allow_zero)) return false;
  *port = static_cast<uint16_t>(v);
  return true;
}

}  // namespace

int ParseCommandLine(const std::vector<std::string>& args, BollardOptions* options, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) {
      *error = "missing value after " + a;
      return -1;
    }
    const std::string& value = args[++i];
    bool ok = true;
    if (a == "--broadcast") ok = os::ParseIpv4(value, &options->link.discovery_ip);
    else if (a == "--discovery-port") ok = ParsePort(value, false, &options->link.discovery_port);
    else if (a == "--port") ok = ParsePort(value, false, &options->link.device_port);
    else if (a == "--local-port") ok = ParsePort(value, true, &options->link.local_port);
    else if (a == "--file-dir") options->file_dir = value;
    else {
      *error = "unknown option " + a;
      return -1;
    }
    if (!ok) {
      *error = "bad value for " + a + ": " + value;
      return -1;
    }
  }
  return 0;
}

}  // namespace bollard
