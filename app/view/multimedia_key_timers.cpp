#include "app/view/multimedia_key_timers.h"

#include <mmsystem.h>

namespace app::view {

namespace {
constexpr UINT kResolutionMs = 10;
}  // namespace

MultimediaKeyTimers::MultimediaKeyTimers(HWND target, UINT message) : target_(target), message_(message) {
  for (int k = 0; k < kHeldKeys; ++k) {
    slots_[k].owner = this;
    slots_[k].key = k;
  }
}

MultimediaKeyTimers::~MultimediaKeyTimers() {
  for (Slot& s : slots_) Kill(s);
}

uintptr_t MultimediaKeyTimers::Start(int key, int delay_ms) {
  if (key < 0 || key >= kHeldKeys) return 0;
  Slot& slot = slots_[key];
  Kill(slot);
  const uintptr_t id = ++next_id_;
  slot.id = id;
  slot.timer = timeSetEvent(static_cast<UINT>(delay_ms), kResolutionMs, Fired, reinterpret_cast<DWORD_PTR>(&slot),
                            TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  if (slot.timer == 0) {
    slot.id = 0;
    return 0;
  }
  return id;
}

void MultimediaKeyTimers::Cancel(uintptr_t id) {
  for (Slot& s : slots_)
    if (id != 0 && s.id == id) Kill(s);
}

void MultimediaKeyTimers::Kill(Slot& slot) {
  // A one-shot timer that already fired is gone; killing it again fails harmlessly.
  if (slot.timer != 0) timeKillEvent(slot.timer);
  slot.timer = 0;
  slot.id = 0;
}

void CALLBACK MultimediaKeyTimers::Fired(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* slot = reinterpret_cast<Slot*>(user);
  PostMessageW(slot->owner->target_, slot->owner->message_, static_cast<WPARAM>(slot->key),
               static_cast<LPARAM>(slot->id.load()));
}

}  // namespace app::view
