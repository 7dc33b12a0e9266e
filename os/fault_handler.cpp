#include "os/fault_handler.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace os {

namespace {
ProcessorFaultHook g_hook = nullptr;

#ifdef _WIN32
LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  switch (info->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
      g_hook();
      break;
    default:
      break;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}
#else
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr size_t kSignalCount = sizeof kFaultSignals / sizeof kFaultSignals[0];
struct sigaction g_previous[kSignalCount];

void OnFault(int signal, siginfo_t*, void*) {
  g_hook();
  for (size_t i = 0; i < kSignalCount; ++i)
    if (kFaultSignals[i] == signal) sigaction(signal, &g_previous[i], nullptr);
}
#endif
}  // namespace

void InstallProcessorFaultHook(ProcessorFaultHook hook) {
  g_hook = hook;
#ifdef _WIN32
  AddVectoredExceptionHandler(1, OnException);
#else
  struct sigaction action = {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < kSignalCount; ++i) sigaction(kFaultSignals[i], &action, &g_previous[i]);
#endif
}

}  // namespace os
