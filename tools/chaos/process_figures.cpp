#include "process_figures.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace chaos {

ProcessFigures ReadProcessFigures() {
  ProcessFigures f;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) f.resident_kb = std::atol(line.c_str() + 6);
    if (line.rfind("Threads:", 0) == 0) f.threads = std::atoi(line.c_str() + 8);
  }
  if (DIR* dir = opendir("/proc/self/fd")) {
    f.descriptors = 0;
    while (dirent* e = readdir(dir))
      if (e->d_name[0] != '.') ++f.descriptors;
    closedir(dir);
    --f.descriptors;  // the directory's own
  }
  return f;
}

}  // namespace chaos
