#include "os/thread_priority.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace os {

void SetCurrentThreadPriority(ThreadPriority priority) {
#ifdef _WIN32
  int level = THREAD_PRIORITY_NORMAL;
  if (priority == ThreadPriority::kAboveNormal) level = THREAD_PRIORITY_ABOVE_NORMAL;
  if (priority == ThreadPriority::kHighest) level = THREAD_PRIORITY_HIGHEST;
  SetThreadPriority(GetCurrentThread(), level);
#else
  (void)priority;
#endif
}

}  // namespace os
