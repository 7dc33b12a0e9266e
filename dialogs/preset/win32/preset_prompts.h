#pragma once
// What the preset dialogs ask of the user outside their own window: plain
// message boxes, yes/no questions, the number dialog and the position
// dialog. The real ones are the default; tests answer in their place.
#include <windows.h>

#include <string>

namespace dialogs {

// The fields of the position dialog.
struct PositionFields {
  int serial = 1;
  std::string location;
  int stay = 10;  // seconds
  bool enabled = true;
};

class PresetPrompts {
 public:
  virtual ~PresetPrompts() = default;
  // A message box with an OK button.
  virtual void Tell(HWND owner, const std::string& text);
  // A yes/no question; true for yes.
  virtual bool Confirm(HWND owner, const std::string& text);
  // The number dialog (template 202) with its maximum; false when cancelled.
  virtual bool AskNumber(HWND owner, int maximum, int* number);
  // The position dialog (template 207) filled from `fields`; on OK the
  // fields hold what was entered.
  virtual bool EditPosition(HWND owner, PositionFields* fields);

  static PresetPrompts& Default();
};

}  // namespace dialogs
