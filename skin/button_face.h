#pragma once
// Which bitmap slot a skinned button or check box shows in a given state,
// with the fallbacks of the drawing table; -1 when nothing is drawn.
namespace skin {

struct ButtonState {
  bool check_box = false;
  bool enabled = true;
  bool pressed = false;  // push buttons: held down
  bool over = false;     // push buttons: pointer over it
  bool checked = false;  // check boxes
};

// `have[s]` tells whether slot s holds a bitmap (slots 0 to 3 matter).
int FaceSlot(const ButtonState& state, const bool have[4]);

}  // namespace skin
