#include "process_figures.h"

#include <dirent.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

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
#ifdef __GLIBC__
  const struct mallinfo2 heap = mallinfo2();
  f.heap_kb = static_cast<long>((heap.uordblks + heap.hblkhd) / 1024);
#endif
  return f;
}

}  // namespace chaos
