#pragma once
// The commands that work on recordings on disk and need no camera: repair,
// export, and (recordings_commands.h) recordings and clip.
#include <string>

#include "cli_options.h"

namespace cli {

bool IsFileCommand(const std::string& command);
// Runs one of them; returns the exit status, with a one-line reason
// in `reason` when it is not 0.
int RunFileCommand(const Options& options, std::string* reason);

}  // namespace cli
