#pragma once
// Scheduling priority of the calling thread. Sound threads run above the
// rest so a busy user interface does not starve them; off Windows this is a
// no-op (tests do not need it and ordinary users may not raise priorities).
namespace os {

enum class ThreadPriority { kNormal, kAboveNormal, kHighest };

void SetCurrentThreadPriority(ThreadPriority priority);

}  // namespace os
