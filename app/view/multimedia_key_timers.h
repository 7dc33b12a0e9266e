#pragma once
// The held keys' one-shot multimedia timers (200 ms, 10 ms resolution).
// A callback runs on the system's timer thread and only posts `message` to
// the view (wParam the key, lParam the timer's id); the view's thread sends
// the step. Timers are killed synchronously, so no callback runs after
// Cancel or the destructor returns. Ids are never reused.
#include <windows.h>

#include <atomic>

#include "app/view/keyboard_control.h"

namespace app::view {

class MultimediaKeyTimers : public KeyTimers {
 public:
  MultimediaKeyTimers(HWND target, UINT message);
  ~MultimediaKeyTimers() override;
  MultimediaKeyTimers(const MultimediaKeyTimers&) = delete;
  MultimediaKeyTimers& operator=(const MultimediaKeyTimers&) = delete;

  uintptr_t Start(int key, int delay_ms) override;
  void Cancel(uintptr_t id) override;

 private:
  struct Slot {
    MultimediaKeyTimers* owner = nullptr;
    int key = 0;
    UINT timer = 0;                       // the multimedia timer, 0 for none
    std::atomic<uintptr_t> id{0};         // what the view knows it by
  };
  static void CALLBACK Fired(UINT timer, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
  void Kill(Slot& slot);

  HWND target_;
  UINT message_;
  Slot slots_[kHeldKeys];
  uintptr_t next_id_ = 0;
};

}  // namespace app::view
