#include "app/view/keyboard_control.h"

namespace app::view {
namespace {

// Lens operations of Page Up, Page Down, Home and End.
constexpr uint32_t kLensPageUp = 0, kLensPageDown = 1, kLensHome = 2, kLensEnd = 3;

// The camera's own codes for the four diagonals, sent as they are.
struct Diagonal {
  int key, pan, tilt;
};
constexpr Diagonal kDiagonals[] = {
    {kKeyNumpad7, 19, -19}, {kKeyNumpad9, 20, -20}, {kKeyNumpad1, 21, -21}, {kKeyNumpad3, 22, -22}};

}  // namespace

KeyboardControl::~KeyboardControl() { CancelAll(); }

int KeyboardControl::Step(uint32_t first_ms, uint32_t latest_ms) {
  // Unsigned difference: message times wrap after 49.7 days.
  return static_cast<int>((latest_ms - first_ms + 100u) / 100u);
}

int KeyboardControl::HeldKeyFor(int virtual_key) {
  switch (virtual_key) {
    case kKeyLeft: return kHeldLeft;
    case kKeyRight: return kHeldRight;
    case kKeyUp: return kHeldUp;
    case kKeyDown: return kHeldDown;
    case kKeyPageUp: return kHeldPageUp;
    case kKeyPageDown: return kHeldPageDown;
    default: return -1;
  }
}

KeyboardControl::Result KeyboardControl::KeyDown(int virtual_key, uint32_t time_ms, bool has_camera) {
  if (virtual_key == kKeyEscape) return Result::kLeaveFullScreen;
  if (virtual_key == kKeyReturn) return Result::kConsumed;
  const int held = HeldKeyFor(virtual_key);
  const bool steering = held >= 0 || virtual_key == kKeyHome || virtual_key == kKeyEnd ||
                        virtual_key == kKeyNumpad1 || virtual_key == kKeyNumpad3 || virtual_key == kKeyNumpad7 ||
                        virtual_key == kKeyNumpad9;
  if (!steering || !has_camera) return Result::kPassOn;
  if (held >= 0) {
    Press& p = presses_[held];
    p.latest = time_ms;
    if (p.timer == 0)
      p.first = time_ms;
    else
      timers_.Cancel(p.timer);
    p.timer = timers_.Start(held, kReleaseDelayMs);
    return Result::kConsumed;
  }
  if (virtual_key == kKeyHome) {
    steering_.Lens(kLensHome, 1);
  } else if (virtual_key == kKeyEnd) {
    steering_.Lens(kLensEnd, 1);
  } else {
    for (const Diagonal& d : kDiagonals)
      if (d.key == virtual_key) steering_.PtzStep(d.pan, d.tilt);
  }
  return Result::kConsumed;
}

void KeyboardControl::TimerFired(int key, uintptr_t id) {
  if (key < 0 || key >= kHeldKeys) return;
  Press& p = presses_[key];
  if (p.timer == 0 || p.timer != id) return;
  p.timer = 0;
  Send(key, Step(p.first, p.latest));
}

void KeyboardControl::Send(int key, int n) {
  switch (key) {
    case kHeldLeft: steering_.PtzStep(-n, 0); break;
    case kHeldRight: steering_.PtzStep(n, 0); break;
    case kHeldUp: steering_.PtzStep(0, -n); break;
    case kHeldDown: steering_.PtzStep(0, n); break;
    case kHeldPageUp: steering_.Lens(kLensPageUp, static_cast<uint32_t>(n)); break;
    case kHeldPageDown: steering_.Lens(kLensPageDown, static_cast<uint32_t>(n)); break;
    default: break;
  }
}

void KeyboardControl::CancelAll() {
  for (Press& p : presses_) {
    if (p.timer != 0) timers_.Cancel(p.timer);
    p.timer = 0;
  }
}

}  // namespace app::view
