#pragma once
// The position dialog (template 207 "Preset Position Info"): serial number
// (read-only), location (at most 63 bytes, the field keeps its NUL), stay in
// seconds and enable "TRUE" or "FALSE".
#include "dialogs/preset/win32/preset_prompts.h"
#include "os/win32/dialog.h"

namespace dialogs {

class CPresetPositionDialog : public win32::CDialogBase {
 public:
  CPresetPositionDialog(HINSTANCE instance, const PositionFields& fields);
  const PositionFields& fields() const { return fields_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  PositionFields fields_;
};

}  // namespace dialogs
