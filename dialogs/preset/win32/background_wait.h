#pragma once
// One wait for a camera's answer (up to 5000 ms) run on a worker thread, so
// the dialog that asked keeps drawing and answering while it waits; the
// outcome comes back to the dialog as a posted message.
#include <windows.h>

#include <functional>
#include <thread>

namespace dialogs {

class BackgroundWait {
 public:
  BackgroundWait() = default;
  ~BackgroundWait() { Join(); }
  BackgroundWait(const BackgroundWait&) = delete;
  BackgroundWait& operator=(const BackgroundWait&) = delete;

  // Runs `wait` on a worker; when it returns, posts `message` to `window`
  // with WPARAM 1 (answered) or 0 (no answer). False while the previous
  // wait is busy.
  bool Start(HWND window, UINT message, std::function<bool()> wait);
  // From Start until Finish.
  bool busy() const { return busy_; }
  // The dialog calls this when the message arrived: the worker has ended
  // (or ends at once), and what it wrote is visible to the caller.
  void Finish() {
    Join();
    busy_ = false;
  }

 private:
  void Join();
  std::thread worker_;
  bool busy_ = false;  // the dialog's thread only
};

}  // namespace dialogs
