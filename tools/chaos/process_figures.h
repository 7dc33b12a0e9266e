#pragma once
// What a long run watches for growth: this process's resident memory, open
// descriptors and threads, read from /proc/self (Linux), and what of its
// memory the allocator has handed out (resident memory that grows while that
// stays is the allocator's, not a leak).
namespace chaos {

struct ProcessFigures {
  long resident_kb = -1;  // VmRSS
  int descriptors = -1;   // entries of /proc/self/fd
  int threads = -1;       // Threads
  long heap_kb = -1;      // allocated and not freed (glibc's mallinfo2)
};

ProcessFigures ReadProcessFigures();

}  // namespace chaos
