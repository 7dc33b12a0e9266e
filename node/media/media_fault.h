#pragma once
// A processor fault inside a decoder means its state can no longer be
// trusted, and a node cannot recover it alone: the node writes one log line
// and ends the whole process with exit code -1. Decode calls run inside
// GuardDecoderCall; a C++ exception escaping them is treated the same way.
#include <utility>

namespace node {

enum class DecoderKind { kVideo, kAudio };

// Writes "m_decoderVideo.Decode CRASH ( %d )\n" or the audio twin with
// `value`, then ends the process with exit code -1.
[[noreturn]] void DecoderFault(DecoderKind kind, int value);

// Marks the calling thread as inside a decode call for the process's
// processor fault hook, which is installed on first use.
class DecoderFaultScope {
 public:
  DecoderFaultScope(DecoderKind kind, int value);
  ~DecoderFaultScope();
  DecoderFaultScope(const DecoderFaultScope&) = delete;
  DecoderFaultScope& operator=(const DecoderFaultScope&) = delete;

 private:
  int previous_kind_;
  int previous_value_;
};

template <class Fn>
auto GuardDecoderCall(DecoderKind kind, int value, Fn&& fn) -> decltype(fn()) {
  DecoderFaultScope scope(kind, value);
  try {
    return std::forward<Fn>(fn)();
  } catch (...) {
    DecoderFault(kind, value);
  }
}

// For the platform's fault handler: whether the calling thread is inside a
// guarded call, and which.
bool CurrentDecoderGuard(DecoderKind* kind, int* value);

}  // namespace node
