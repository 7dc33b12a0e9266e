// bollard-device: a simulated Bollard device on loopback, for trying Bollard by
// hand and for scripted tests. Runs until killed (or for --seconds).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "os/clock.h"
#include "tools/bollard-device/sim_device.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: bollard-device [options]\n"
               "  --bind ADDRESS           loopback address to listen on (127.0.0.1)\n"
               "  --discovery-port N       setup request port (4000)\n"
               "  --port N                 device port (4001)\n"
               "  --address TEXT           address text of the report (the bind address)\n"
               "  --old-form               report without address text\n"
               "  --config-file FILE       interface text to report (two built-in interfaces)\n"
               "  --count N                interfaces the report announces (2)\n"
               "  --login-status N         answer every login with N (check the users)\n"
               "  --user ID:NAME:PASSWORD  an account (repeatable; default admin:Administrator:admin)\n"
               "  --users N                N generated accounts user1..userN\n"
               "  --list-count N           count the user list claims (the true number)\n"
               "  --op-result N            answer user operations with N (carry them out)\n"
               "  --apply-result N         configuration result (0)\n"
               "  --reports-before-result N  reports sent before the result (0)\n"
               "  --apply-silent           never send a configuration result\n"
               "  --seconds N              stop after N seconds (run until killed)\n");
}

}  // namespace

int main(int argc, char** argv) {
  bollard_sim::SimConfig config;
  config.discovery_port = 4000;
  config.device_port = 4001;
  bool address_given = false;
  bool users_given = false;
  int seconds = 0;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        Usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--bind") config.bind_address = next();
    else if (a == "--discovery-port") config.discovery_port = static_cast<uint16_t>(std::atoi(next().c_str()));
    else if (a == "--port") config.device_port = static_cast<uint16_t>(std::atoi(next().c_str()));
    else if (a == "--address") { config.address = next(); address_given = true; }
    else if (a == "--old-form") { config.address.clear(); address_given = true; }
    else if (a == "--config-file") {
      std::ifstream in(next(), std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      config.config_text = text.str();
    }
    else if (a == "--count") config.interface_count = static_cast<uint32_t>(std::atoi(next().c_str()));
    else if (a == "--login-status") config.login_status = std::atoi(next().c_str());
    else if (a == "--user") {
      if (!users_given) config.users.clear();
      users_given = true;
      std::string account = next();
      size_t c1 = account.find(':'), c2 = account.find(':', c1 == std::string::npos ? 0 : c1 + 1);
      if (c1 == std::string::npos || c2 == std::string::npos) { Usage(); return 2; }
      config.users.push_back({account.substr(0, c1), account.substr(c1 + 1, c2 - c1 - 1), account.substr(c2 + 1)});
    }
    else if (a == "--users") {
      if (!users_given) config.users.clear();
      users_given = true;
      int n = std::atoi(next().c_str());
      for (int k = 1; k <= n; ++k)
        config.users.push_back({"user" + std::to_string(k), "User " + std::to_string(k), "pass" + std::to_string(k)});
    }
    else if (a == "--list-count") config.list_count = std::atoi(next().c_str());
    else if (a == "--op-result") config.op_result = std::atoi(next().c_str());
    else if (a == "--apply-result") config.apply_result = static_cast<uint32_t>(std::atoi(next().c_str()));
    else if (a == "--reports-before-result") config.reports_before_result = std::atoi(next().c_str());
    else if (a == "--apply-silent") config.apply_silent = true;
    else if (a == "--seconds") seconds = std::atoi(next().c_str());
    else { Usage(); return 2; }
  }
  if (!address_given) config.address = config.bind_address;

  bollard_sim::SimDevice device;
  if (device.Start(config) != 0) {
    std::fprintf(stderr, "bollard-device: cannot listen on %s ports %u and %u (loopback addresses only)\n",
                 config.bind_address.c_str(), config.discovery_port, config.device_port);
    return 1;
  }
  std::printf("bollard-device: %s discovery port %u, device port %u\n", config.bind_address.c_str(),
              device.discovery_port(), device.device_port());
  std::fflush(stdout);
  uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(seconds) * 1000;
  while (seconds <= 0 || os::MonotonicMs() < end) os::SleepMs(200);
  device.Stop();
  return 0;
}
