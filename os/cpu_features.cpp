#include "os/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace os {

CpuFeatures DetectCpuFeatures() {
  CpuFeatures f;
#if defined(__i386__) || defined(__x86_64__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  // __get_cpuid checks the CPUID support (the EFLAGS ID bit on i386) itself.
  if (__get_cpuid(1, &a, &b, &c, &d)) {
    f.mmx = (d >> 23) & 1;
    f.sse = (d >> 25) & 1;
    f.sse2 = (d >> 26) & 1;
  }
  if (__get_cpuid(0x80000001u, &a, &b, &c, &d)) {
    f.amd3dnow = (d >> 31) & 1;
    f.amd3dnowExt = (d >> 30) & 1;
    f.mmxExt = ((d >> 22) & 1) || f.sse;
  } else {
    f.mmxExt = f.sse;
  }
#endif
  return f;
}

}  // namespace os
