// halyard-cli: Halyard's camera links, recordings and controls on the command line.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "cli_runtime.h"

namespace {
void OnInterrupt(int) { cli::Runtime::interrupted = true; }
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  cli::Options options;
  bool help = false;
  std::string error;
  if (!cli::ParseOptions(args, &options, &help, &error)) {
    std::fprintf(stderr, "halyard-cli: %s\n", error.c_str());
    return 1;
  }
  if (help) {
    std::fputs(cli::UsageText(), stdout);
    return 0;
  }
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  const int code = cli::RunCommand(options, &error);
  if (code != 0) std::fprintf(stderr, "halyard-cli: %s\n", error.c_str());
  return code;
}
