#pragma once
// The command line of halyard-cli.
#include <cstdint>
#include <string>
#include <vector>

#include "node/events/alert_policy.h"
#include "node/media/motion_detector.h"
#include "node/storage/retention_limits.h"

namespace cli {

struct Options {
  std::string host;  // --host HOST:PORT (hosting server)
  uint16_t host_port = 0;
  std::string camera;  // --camera HOST:PORT (a camera server directly)
  uint16_t camera_port = 0;
  std::string ddns;  // --ddns NAME: --camera names the dynamic-IP server
  std::string user, password;
  std::string proxy_kind;  // socks4, socks5 or http
  std::string proxy_host;
  uint16_t proxy_port = 0;
  std::string proxy_user, proxy_password;
  int seconds = -1;  // --seconds N
  int seek = -1;     // --seek PERCENT
  double start_after = 0;     // record --start-after SECONDS
  uint64_t file_limit = 0;    // record --file-limit BYTES (0: 4 GiB)
  bool motion = false;        // watch --motion
  bool on_motion = false;     // record CAM FOLDER --on-motion
  int sensitivity = 5;        // --sensitivity 1..10
  // --min-size CELLS, --min-duration SECONDS: the smallest object that
  // counts and the shortest motion that starts an event.
  int min_cells = node::MotionDetector::kDefaultMinObjectCells;
  int min_duration_ms = node::MotionDetector::kDefaultMinDurationMs;
  std::string on_alert;  // --on-alert PROGRAM: run with CAMERA TIME motion at each alert
  // --cooldown SECONDS: motions within it after an alert are not alerted.
  int cooldown_ms = static_cast<int>(node::AlertPolicy::kDefaultCooldownMs);
  int retry_wait_ms = 2000;
  // --no-reconnect: a lost link gets three attempts retry_wait_ms apart and
  // a lost hosting connection none; otherwise both are restored for as long as it takes.
  bool no_reconnect = false;
  std::string scan;  // repair --scan FOLDER
  // record CAM --plan continuous|motion --root ROOT: recording by plan into
  // ROOT/CAM/YYYY-MM-DD, kept within the retention limits; retention ROOT.
  std::string plan;
  std::string root;
  int file_minutes = 60;             // --file-minutes: 60, 30, 15 (any divisor of 60)
  node::RetentionLimits retention;   // --retain-days, --retain-gb, --min-free-gb
  bool dry_run = false;              // retention --dry-run
  std::string day;     // recordings --day YYYY-MM-DD
  std::string events;  // recordings --events FOLDER: the event log's daily files
  std::string from, to;  // clip --from, --to "YYYY-MM-DD HH:MM:SS"
  bool matroska = false; // clip --mkv: also the Matroska copy
  std::string command;
  std::vector<std::string> args;
};

// False with a one-line reason for bad input; `help` set for --help.
bool ParseOptions(const std::vector<std::string>& argv, Options* options, bool* help, std::string* error);
const char* UsageText();

}  // namespace cli
