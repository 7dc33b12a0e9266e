#pragma once
// The number dialog (template 202): a preset or group number from 1 to its
// maximum. A number above the maximum, or 0 (there is no preset 0 to send
// as number - 1), shows [PRESET] ERROR_OVER_MAXNUM with the maximum and the
// dialog stays open.
#include "os/win32/dialog.h"

namespace dialogs {

class CPresetNumberDialog : public win32::CDialogBase {
 public:
  static constexpr int kDefaultMaximum = 39;

  explicit CPresetNumberDialog(HINSTANCE instance, int maximum = kDefaultMaximum, int number = 1);
  int maximum() const { return maximum_; }
  // The accepted number once the dialog ended with OK.
  int number() const { return number_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  int maximum_;
  int number_;
};

}  // namespace dialogs
