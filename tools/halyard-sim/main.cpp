// halyard-sim: the hosting server, camera servers and dynamic-IP server of the
// camera protocol, on loopback, for tests, demos and load runs.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "control_server.h"
#include "os/clock.h"
#include "os/event.h"
#include "os/socket.h"
#include "world.h"

namespace {

std::atomic<bool> g_quit{false};
void OnSignal(int) { g_quit = true; }

void PrintUsage() {
  std::puts(
      "usage: halyard-sim [--demo] [options]\n"
      "  --demo                     hosting 127.0.0.1:8000 (demo/demo), cameras on 20002 and 20003,\n"
      "                             one stored recording, dynamic-IP server on 8001\n"
      "  --hosting-port P           hosting server (0 = a free port)\n"
      "  --ddns-port P              dynamic-IP server (0 = a free port)\n"
      "  --user NAME:PASSWORD       a user of every server (repeatable)\n"
      "  --camera ID:PORT:VIDEO[:AUDIO[:VERSION]]  a camera server (AUDIO a WAV file or 'voice')\n"
      "                             VIDEO an MPEG-4 file, or a made-up scene for motion detection:\n"
      "                             scene-NAME-WIDTHxHEIGHT, NAME light, exposure, infrared, night-noise,\n"
      "                             rain, snow, branch, walk-near, walk-far, car or square\n"
      "  --file NAME:CAMERA:VIDEO[:AUDIO]          a stored recording on the hosting server\n"
      "  --file-times NAME:D.M.Y.h.m.s:D.M.Y.h.m.s its start and end as listed (any values)\n"
      "  --ddns-name NAME:CAMERA    a dynamic-IP name for a camera\n"
      "  --load N                   N more cameras LOAD-1..N on free ports (for load runs)\n"
      "  --load-stream FILE         what they send (test_640x480.m4v)\n"
      "  --load-fps N               at N pictures a second instead of the stream's rate\n"
      "  --keepalive-ms MS          hosting keep-alive interval\n"
      "  --media-dir DIR            where bare media file names are found\n"
      "  --control-port P           line commands on 127.0.0.1:P (0 = a free port)\n"
      "  --config FILE              the same options, one per line, without '--'\n"
      "Commands on standard input or the control port: type 'help'.");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  sim::WorldConfig config;
#ifdef HALYARD_SIM_MEDIA_DIR
  config.media_dir = HALYARD_SIM_MEDIA_DIR;
#endif
  int control_port = -1;
  std::vector<std::string> world_args;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      PrintUsage();
      return 0;
    }
    if (args[i] == "--control-port" && i + 1 < args.size()) {
      control_port = std::atoi(args[++i].c_str());
      continue;
    }
    world_args.push_back(args[i]);
  }
  std::string error;
  if (!sim::ParseWorldOptions(world_args, &config, &error)) {
    std::fprintf(stderr, "halyard-sim: %s\n", error.c_str());
    return 2;
  }
  if (config.hosting_port < 0 && config.cameras.empty() && config.ddns_port < 0 && config.load_cameras == 0) {
    PrintUsage();
    return 2;
  }
  os::NetStartup();
  sim::World world(config);
  if (!world.Start(&error)) {
    std::fprintf(stderr, "halyard-sim: %s\n", error.c_str());
    return 1;
  }
  std::mutex out_mutex;
  sim::ControlServer control;
  if (control_port >= 0) {
    if (!control.Start(static_cast<uint16_t>(control_port), [&](const std::string& line) {
          if (line == "quit") g_quit = true;
          return line == "quit" ? std::vector<std::string>{"ok"} : world.Execute(line);
        })) {
      std::fprintf(stderr, "halyard-sim: cannot listen on control port %d\n", control_port);
      return 1;
    }
  }
  for (const auto& line : world.Describe()) std::printf("%s\n", line.c_str());
  if (control_port >= 0) std::printf("control 127.0.0.1:%u\n", control.port());
  std::printf("ready\n");
  std::fflush(stdout);

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  // Standard input carries commands too; at its end the run goes on only
  // while a control port can still end it.
  std::thread input([&] {
    std::string line;
    while (!g_quit && std::getline(std::cin, line)) {
      if (line == "quit") break;
      auto reply = world.Execute(line);
      std::lock_guard<std::mutex> lock(out_mutex);
      for (const auto& l : reply) std::printf("%s\n", l.c_str());
      std::fflush(stdout);
    }
    if (control_port < 0 || line == "quit") g_quit = true;
  });
  input.detach();
  while (!g_quit) os::SleepMs(50);
  control.Stop();
  world.Stop();
  std::printf("stopped\n");
  std::fflush(stdout);
  std::_Exit(0);  // the input thread may still sit in a read of standard input
}
