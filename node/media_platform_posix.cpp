// POSIX side of the decoder fault guard: one handler for the signals a
// processor fault raises. Outside a guarded call it puts the previous action
// back and returns, so the faulting instruction runs again under it (a
// sanitizer's report, or the default core dump).
#include <signal.h>

#include "node/media_fault.h"

namespace node {

namespace {
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction g_previous[sizeof kFaultSignals / sizeof kFaultSignals[0]];

void OnFault(int signal, siginfo_t*, void*) {
  DecoderKind kind;
  int value;
  if (CurrentDecoderGuard(&kind, &value)) DecoderFault(kind, value);
  for (size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i)
    if (kFaultSignals[i] == signal) sigaction(signal, &g_previous[i], nullptr);
}
}  // namespace

void InstallDecoderFaultHandler() {
  struct sigaction action = {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i)
    sigaction(kFaultSignals[i], &action, &g_previous[i]);
}

void RaiseCurrentThreadPriority() {
  // Raising a thread's priority needs privileges here; the media worker runs
  // at normal priority on POSIX systems.
}

}  // namespace node
