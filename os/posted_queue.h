#pragma once
// Posted messages waiting for the thread that plays the user-interface
// thread where there is no window system: halyard-cli's main thread and the
// tests' pumps. Any thread posts; one thread takes them, in the order posted.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "os/window_seam.h"

namespace os {

struct PostedMessage {
  WindowHandle window = 0;
  uint32_t message = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
};

class PostedQueue : public WindowPoster {
 public:
  bool Post(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override;
  // The oldest message, false when none is queued.
  bool Take(PostedMessage* message);
  // Waits at most `timeout_ms` for a message; true when one is queued.
  bool WaitForMessage(int timeout_ms);

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<PostedMessage> queue_;
};

}  // namespace os
