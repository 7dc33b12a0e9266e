#pragma once
// The commands that read a folder of recordings through its index and need
// no camera: recordings (what was recorded when) and clip (a range exported).
#include <string>

#include "cli_options.h"

namespace cli {

bool IsRecordingsCommand(const std::string& command);
// Returns the exit status, with a one-line reason in `reason` when it is not 0.
int RunRecordingsCommand(const Options& options, std::string* reason);

}  // namespace cli
