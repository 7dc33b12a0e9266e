#pragma once
// "Motion Settings…": a small modeless dialog beside a camera view with the
// detector's sensitivity (1..10), the smallest object and the shortest
// motion that count, and a button that clears the mask. While it
// is open the view shows the detector's grid over the picture, with the
// cells that change and the objects they make tinted live, and a drag
// over the picture edits the mask; every change is tried on the live
// detector at once. OK keeps the settings (the view remembers them for the
// camera), Cancel and closing put back those it opened with.
#include <windows.h>

#include <functional>
#include <string>

#include "app/view/registry_motion.h"
#include "os/win32/dialog.h"
#include "settings/text_table.h"

namespace app::view {

class MotionSettingsEditor {
 public:
  virtual ~MotionSettingsEditor() = default;
  // The settings as the dialog now has them (not yet kept).
  virtual void PreviewMotionSettings(const MotionSettings& settings) = 0;
  // The dialog ended: keep what it shows, or go back to what it opened with.
  virtual void EndMotionSettings(bool keep) = 0;
};

class CMotionSettingsDialog : public win32::CDialogBase {
 public:
  using TextLookup = std::function<std::string(const settings::TextId&)>;
  CMotionSettingsDialog(HINSTANCE instance, MotionSettingsEditor& editor, const MotionSettings& start,
                        TextLookup text);

  // The view's drag changed the mask.
  void SetMask(const MotionMask& mask);
  const MotionSettings& settings() const { return settings_; }

 protected:
  BOOL OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void ShowLevel();

  MotionSettingsEditor& editor_;
  MotionSettings settings_;
  TextLookup text_;
};

}  // namespace app::view
