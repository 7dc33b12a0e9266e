#include "skin/button_face.h"

#include "skin/skin_format.h"

namespace skin {
namespace {

int First(const bool have[4], int slot, int fallback) {
  if (have[slot]) return slot;
  if (fallback >= 0 && have[fallback]) return fallback;
  return -1;
}

}  // namespace

int FaceSlot(const ButtonState& state, const bool have[4]) {
  if (state.check_box) {
    if (!state.enabled) return First(have, kSlotDisabled, kSlotNormal);
    return state.checked ? First(have, kSlotChecked, -1) : First(have, kSlotNormal, -1);
  }
  if (state.pressed) return First(have, kSlotPressed, -1);
  if (!state.enabled) return First(have, kSlotDisabled, kSlotNormal);
  if (state.over) return First(have, kSlotOver, kSlotNormal);
  return First(have, kSlotNormal, -1);
}

}  // namespace skin
