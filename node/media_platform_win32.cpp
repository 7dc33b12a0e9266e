// Windows side of the decoder fault guard: a vectored exception handler sees
// a processor fault before any frame handler; inside a guarded decode call it
// writes the log line and ends the process, elsewhere it lets the search go on.
#include <windows.h>

#include "node/media_fault.h"

namespace node {

namespace {
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
      break;
    default:
      return EXCEPTION_CONTINUE_SEARCH;
  }
  DecoderKind kind;
  int value;
  if (CurrentDecoderGuard(&kind, &value)) DecoderFault(kind, value);
  return EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

void InstallDecoderFaultHandler() { AddVectoredExceptionHandler(1, OnException); }

void RaiseCurrentThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL); }

}  // namespace node
