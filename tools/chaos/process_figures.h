#pragma once
// What a long run watches for growth: this process's resident memory, open
// descriptors and threads, read from /proc/self (Linux).
namespace chaos {

struct ProcessFigures {
  long resident_kb = -1;  // VmRSS
  int descriptors = -1;   // entries of /proc/self/fd
  int threads = -1;       // Threads
};

ProcessFigures ReadProcessFigures();

}  // namespace chaos
