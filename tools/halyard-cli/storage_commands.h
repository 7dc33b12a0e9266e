#pragma once
// Storage that runs itself, on the command line: `record CAM --plan ...`
// records as a recording plan does (files by the hour under a root kept
// within its limits, paused by a full disk), `retention ROOT` makes one
// retention pass.
#include <string>

#include "cli_options.h"

namespace cli {

class Session;

// record --plan: the session's camera is open; returns the exit status.
int RecordByPlan(Session& session, const Options& options, std::string* reason);
// retention ROOT [--dry-run]: needs no camera.
int RunRetention(const Options& options, std::string* reason);

}  // namespace cli
