#pragma once
// Bollard's command line. Without options it works as on a real network:
// setup requests broadcast to port 4000, devices on port 4001.
//   --broadcast ADDRESS    send the setup request to ADDRESS instead
//   --discovery-port N     port of the setup request
//   --port N               the devices' port
//   --local-port N         local port of the device socket (0: any free one)
//   --file-dir DIR         folder of the interface file instead of "c:\"
#include <string>
#include <vector>

#include "config_tool/device_link.h"

namespace bollard {

struct BollardOptions {
  LinkOptions link;
  std::string file_dir;  // empty: "c:\", or the temporary folder without drive C
};

// Returns 0, or -1 with a one-line reason in *error.
int ParseCommandLine(const std::vector<std::string>& args, BollardOptions* options, std::string* error);

}  // namespace bollard
