#pragma once
// One process-wide hook for processor faults (access violation, illegal
// instruction, division by zero, stack overflow) on any thread, seen before
// the program's own frames: a vectored exception handler on Windows, signal
// handlers elsewhere. The hook may end the process. When it returns, the
// fault goes on as if no hook were there (on POSIX the previous action is put
// back first, so a sanitizer's report or the default core dump follows).
namespace os {

using ProcessorFaultHook = void (*)();

// Installs `hook`; call once.
void InstallProcessorFaultHook(ProcessorFaultHook hook);

}  // namespace os
