#include "node/media/media_fault.h"

#include <cstdlib>
#include <mutex>

#include "os/debug_log.h"
#include "os/fault_handler.h"

namespace node {

namespace {
// -1 outside any guarded call; plain ints so a signal handler may read them.
thread_local int t_kind = -1;
thread_local int t_value = 0;
std::once_flag g_installOnce;

// Inside a guarded decode call the fault ends the process with the node's
// log line; elsewhere it is not the decoder's, and goes on.
void OnProcessorFault() {
  DecoderKind kind;
  int value;
  if (CurrentDecoderGuard(&kind, &value)) DecoderFault(kind, value);
}

void InstallDecoderFaultHandler() { os::InstallProcessorFaultHook(OnProcessorFault); }
}  // namespace

void DecoderFault(DecoderKind kind, int value) {
  if (kind == DecoderKind::kVideo)
    DebugLog("m_decoderVideo.Decode CRASH ( %d )\n", value);
  else
    DebugLog("m_decoderAudio.Decode CRASH ( %d )\n", value);
  std::_Exit(-1);
}

DecoderFaultScope::DecoderFaultScope(DecoderKind kind, int value) : previous_kind_(t_kind), previous_value_(t_value) {
  std::call_once(g_installOnce, InstallDecoderFaultHandler);
  t_value = value;
  t_kind = static_cast<int>(kind);
}

DecoderFaultScope::~DecoderFaultScope() {
  t_kind = previous_kind_;
  t_value = previous_value_;
}

bool CurrentDecoderGuard(DecoderKind* kind, int* value) {
  if (t_kind < 0) return false;
  *kind = static_cast<DecoderKind>(t_kind);
  *value = t_value;
  return true;
}

}  // namespace node
