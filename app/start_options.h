#pragma once
// The start-up options, for a wall monitor that must come up by itself after
// a reboot, for scheduled recordings and for scripted use:
//   Halyard.exe [--server NAME]... [--user ID [--password-file FILE | --password PW]]
//               [--view CAMERA]... [--record FOLDER] [--layout NAME]
//               [--wall MONITOR[:GRID]]... [--quit-after SECONDS]
// With --user and neither password option, HALYARD_PASSWORD holds the password.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "app/wall/wall_setup.h"

namespace app {

struct StartOptions {
  // Server list entries to connect as Connect does, in order: a hosting
  // server and cameras reached directly.
  std::vector<std::string> servers;
  bool has_login = false;              // --user and a password were given
  std::string user, password;
  std::vector<std::string> views;      // cameras to open once the hosting server lists them
  std::string record_folder;           // views opened so record into this folder
  int quit_after_seconds = -1;         // -1: run until the user exits
  std::string layout;                  // a saved layout to put the views in, instead of the last one
  std::vector<wall::WallSetup> walls;  // walls to open at start, one per monitor

  bool Empty() const {
    return servers.empty() && !has_login && views.empty() && record_folder.empty() && quit_after_seconds < 0 &&
           layout.empty() && walls.empty();
  }
};

inline constexpr char kPasswordVariable[] = "HALYARD_PASSWORD";

// Exit code of a wrong option or an unknown entry.
constexpr int kUsageExitCode = 2;
// Exit code of a start while Halyard already runs (the first one is shown instead).
constexpr int kAlreadyRunningExitCode = 3;

// --quit-after waits in steps: a Windows timer holds at most 2^31 - 1 ms
// (about 24.8 days) and the option may ask for years. The next step of a
// wait with `remaining_ms` left: all of it, or a day.
constexpr uint32_t kLongestQuitStepMs = 24u * 3600u * 1000u;
uint32_t QuitTimerStepMs(uint64_t remaining_ms);

// False with a one-line reason for anything that is not the form above.
bool ParseStartOptions(const std::vector<std::string>& args, StartOptions* options, std::string* error);
// The usage text shown with the reason.
std::string StartUsage();

// FOLDER\<camera>_<yyyyMMdd_HHmmss>.mp4, with characters a file name cannot
// hold (\ / : * ? " < > | and control characters) in the camera ID made '_'.
std::string RecordingPath(const std::string& folder, const std::string& camera_id, const std::tm& local_time);

}  // namespace app
