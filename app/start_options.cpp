#include "app/start_options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "os/file.h"
#include "os/secret_source.h"

namespace app {
namespace {

bool ParseSeconds(const std::string& text, int* seconds) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *seconds = std::atoi(text.c_str());
  return true;
}

// Takes the value after `args[*i]`; false when there is none.
bool TakeValue(const std::vector<std::string>& args, size_t* i, std::string* value, std::string* error) {
  if (*i + 1 >= args.size() || args[*i + 1].empty()) {
    *error = args[*i] + " needs a value";
    return false;
  }
  *value = args[++*i];
  return true;
}

bool TakeOnce(const std::vector<std::string>& args, size_t* i, std::string* value, bool* seen, std::string* error) {
  if (*seen) {
    *error = args[*i] + " is given twice";
    return false;
  }
  *seen = true;
  return TakeValue(args, i, value, error);
}

}  // namespace

bool ParseStartOptions(const std::vector<std::string>& args, StartOptions* options, std::string* error) {
  StartOptions o;
  bool seen_user = false, seen_password = false, seen_record = false, seen_quit = false, seen_layout = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--server") {
      if (!TakeValue(args, &i, &value, error)) return false;
      if (std::find(o.servers.begin(), o.servers.end(), value) != o.servers.end()) {
        *error = "--server '" + value + "' is given twice";
        return false;
      }
      o.servers.push_back(value);
    } else if (a == "--user") {
      if (!TakeOnce(args, &i, &o.user, &seen_user, error)) return false;
    } else if (a == "--password") {
      if (!TakeOnce(args, &i, &o.password, &seen_password, error)) return false;
    } else if (a == "--password-file") {
      if (seen_password) {
        *error = "give the password once: --password or --password-file";
        return false;
      }
      if (!TakeOnce(args, &i, &value, &seen_password, error)) return false;
      if (!os::ReadFirstLine(value, &o.password)) {
        *error = "--password-file: cannot read '" + value + "'";
        return false;
      }
    } else if (a == "--view") {
      if (!TakeValue(args, &i, &value, error)) return false;
      o.views.push_back(value);
    } else if (a == "--record") {
      if (!TakeOnce(args, &i, &o.record_folder, &seen_record, error)) return false;
    } else if (a == "--layout") {
      if (!TakeOnce(args, &i, &o.layout, &seen_layout, error)) return false;
    } else if (a == "--wall") {
      wall::WallSetup setup;
      if (!TakeValue(args, &i, &value, error) || !wall::ParseWallOption(value, &setup, error)) return false;
      for (const wall::WallSetup& other : o.walls)
        if (other.monitor == setup.monitor) {
          *error = "--wall names monitor " + std::to_string(setup.monitor) + " twice";
          return false;
        }
      o.walls.push_back(std::move(setup));
    } else if (a == "--quit-after") {
      if (!TakeOnce(args, &i, &value, &seen_quit, error)) return false;
      if (!ParseSeconds(value, &o.quit_after_seconds)) {
        *error = "--quit-after takes a number of seconds, not '" + value + "'";
        return false;
      }
    } else {
      *error = "unknown option '" + a + "'";
      return false;
    }
  }
  // Without a password option the environment may hold it: neither process
  // lists nor shortcuts show it there.
  if (seen_user && !seen_password) seen_password = os::ReadEnvironment(kPasswordVariable, &o.password);
  if (seen_user != seen_password) {
    *error = seen_user ? "--user needs --password-file FILE, HALYARD_PASSWORD or --password"
                       : "--user and --password go together";
    return false;
  }
  o.has_login = seen_user;
  *options = std::move(o);
  return true;
}

std::string StartUsage() {
  return "Halyard.exe [--server NAME]... [--user ID [--password-file FILE | --password PW]] [--view CAMERA]... "
         "[--record FOLDER] [--layout NAME] [--wall MONITOR[:GRID]]... [--quit-after SECONDS]\r\n\r\n"
         "--server NAME\tconnect this server list entry at start (repeatable: a hosting server and cameras)\r\n"
         "--user ID\tlog in as ID instead of asking; the password is the first line of --password-file FILE,\r\n"
         "\telse the environment variable HALYARD_PASSWORD, else --password PW. Prefer the first two:\r\n"
         "\ta password on the command line shows in process lists and in shortcuts\r\n"
         "--view CAMERA\topen this camera as soon as the hosting server lists it (repeatable)\r\n"
         "--record FOLDER\tviews opened so record into FOLDER\\<camera or entry>_<yyyyMMdd_HHmmss>.mp4\r\n"
         "--layout NAME\tput the views as the saved layout NAME has them (else as the last layout used)\r\n"
         "--wall MONITOR[:GRID]\ta video wall fills monitor MONITOR (1 the primary) with a grid of ROWSxCOLUMNS\r\n"
         "\t(1x1 to 6x6, 2x2 unless given) or 1+5, 1+7, 2+8; its cells show the cameras the layout gives them\r\n"
         "--quit-after SECONDS\tend the program after SECONDS, as Exit does";
}

uint32_t QuitTimerStepMs(uint64_t remaining_ms) {
  return remaining_ms < kLongestQuitStepMs ? static_cast<uint32_t>(remaining_ms) : kLongestQuitStepMs;
}

std::string RecordingPath(const std::string& folder, const std::string& camera_id, const std::tm& t) {
  const std::string name = os::SafeFileName(camera_id, std::string());
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d_%02d%02d%02d.mp4", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  std::string path = folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path + name + stamp;
}

}  // namespace app
