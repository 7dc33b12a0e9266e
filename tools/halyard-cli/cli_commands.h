#pragma once
#include <string>

#include "cli_options.h"

namespace cli {

// Runs the command of `options`; returns the exit status, with a one-line
// reason in `reason` when it is not 0.
int RunCommand(const Options& options, std::string* reason);

}  // namespace cli
