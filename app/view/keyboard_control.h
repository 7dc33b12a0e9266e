#pragma once
// Keyboard control of a camera view, decided before a key reaches the view:
// held arrow and Page Up/Down keys give one pan, tilt or lens step each when
// released, sized by how long they were held; Home and End move the lens
// by one; the keypad's 7, 9, 1 and 3 send the camera's diagonal codes;
// Escape leaves full screen; Enter does nothing. Key codes are the Win32
// virtual keys; times are the key messages' time stamps in milliseconds.
#include <cstdint>

namespace app::view {

// Win32 virtual-key codes of the keys that steer the camera.
enum VirtualKey : int {
  kKeyReturn = 0x0D,
  kKeyEscape = 0x1B,
  kKeyPageUp = 0x21,
  kKeyPageDown = 0x22,
  kKeyEnd = 0x23,
  kKeyHome = 0x24,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
  kKeyNumpad1 = 0x61,
  kKeyNumpad3 = 0x63,
  kKeyNumpad7 = 0x67,
  kKeyNumpad9 = 0x69,
};

// The six keys that are held.
enum HeldKey { kHeldLeft, kHeldRight, kHeldUp, kHeldDown, kHeldPageUp, kHeldPageDown, kHeldKeys };

// What the keys steer: the view's camera connection.
class CameraSteering {
 public:
  virtual ~CameraSteering() = default;
  virtual void PtzStep(int pan, int tilt) = 0;
  virtual void Lens(uint32_t operation, uint32_t speed) = 0;
};

// One-shot timers, one per held key; a fired timer comes back through
// KeyboardControl::TimerFired with the id Start gave.
class KeyTimers {
 public:
  virtual ~KeyTimers() = default;
  // 0 when no timer could be started.
  virtual uintptr_t Start(int key, int delay_ms) = 0;
  virtual void Cancel(uintptr_t id) = 0;
};

class KeyboardControl {
 public:
  static constexpr int kReleaseDelayMs = 200;

  KeyboardControl(KeyTimers& timers, CameraSteering& steering) : timers_(timers), steering_(steering) {}
  ~KeyboardControl();
  KeyboardControl(const KeyboardControl&) = delete;
  KeyboardControl& operator=(const KeyboardControl&) = delete;

  enum class Result { kPassOn, kConsumed, kLeaveFullScreen };
  // One key-down message (auto-repeats included). Keys that steer the
  // camera act only with a camera ID; without one they pass on.
  Result KeyDown(int virtual_key, uint32_t time_ms, bool has_camera);
  // The key's timer fired: the step goes out once. A timer that was
  // cancelled or replaced since is ignored.
  void TimerFired(int key, uintptr_t id);
  // Cancels every pending timer (the view closes).
  void CancelAll();

  // n = (latest - first + 100) / 100: a tap is 1, 1.4 s held is 15.
  static int Step(uint32_t first_ms, uint32_t latest_ms);
  static int HeldKeyFor(int virtual_key);

 private:
  struct Press {
    uint32_t first = 0, latest = 0;
    uintptr_t timer = 0;
  };
  void Send(int key, int n);

  KeyTimers& timers_;
  CameraSteering& steering_;
  Press presses_[kHeldKeys];
};

}  // namespace app::view
