#include "dialogs/preset/win32/background_wait.h"

#include "os/thread_name.h"

namespace dialogs {

bool BackgroundWait::Start(HWND window, UINT message, std::function<bool()> wait) {
  if (busy_) return false;
  Join();
  busy_ = true;
  worker_ = std::thread([window, message, wait = std::move(wait)] {
    os::NameCurrentThread("preset wait");
    const bool answered = wait();
    PostMessageW(window, message, answered ? 1 : 0, 0);
  });
  return true;
}

void BackgroundWait::Join() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace dialogs
