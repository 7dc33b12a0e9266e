#pragma once
// What the seven pages of the camera setup sheet share: the one copy of the
// camera's record they edit, the rule that a page never opened writes
// nothing, slider ranges with their number displays, and the rule that a
// control the user did not change leaves its bytes exactly as the camera
// sent them (so values a control cannot show survive a visit to the page).
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "dialogs/camera_setup/setup_fields.h"
#include "net/camera_setup_info.h"
#include "os/win32/dialog.h"

namespace dialogs {

// The sheet's record and outcome, shared by its pages.
struct SetupSheetState {
  net::CameraSetupInfo info;
  bool applied = false;  // the sheet ended with APPLY
};

class CCameraSetupPage : public win32::CPropertyPageBase {
 public:
  CCameraSetupPage(HINSTANCE instance, int template_id, const char* title, SetupSheetState& state);
  bool opened() const { return opened_; }

 protected:
  // Opening runs Prepare (ranges and list entries), Load (record to
  // controls), then remembers every control's state.
  virtual void Prepare() {}
  virtual void Load() = 0;
  // APPLY: controls back into the record; only called when the page was opened.
  virtual void Store() = 0;

  BOOL OnInitDialog() override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  net::CameraSetupInfo& info() { return state_.info; }

  // Remembers the state of every control; Changed tells whether the user
  // has changed a control since.
  void Snapshot();
  bool Changed(int id) const;

  // A track bar with the read-only number display it keeps up to date.
  void AddSlider(int slider, int display, int low, int high, int page_size);
  void SetSlider(int slider, int value);
  int Slider(int slider) const;

  // Drop-down lists: -1 (or any index past the entries) selects nothing.
  void FillList(int combo, const std::vector<const char*>& entries);
  void SelectEntry(int combo, int index);
  int SelectedEntry(int combo) const;

  void SetNumber(int id, uint32_t value) { SetItemText(id, std::to_string(value)); }
  uint32_t Number(int id, uint32_t maximum) const { return setup::ParseBoundedNumber(ItemText(id), maximum); }

  // Fields checked before the page may be left or applied: a changed and
  // enabled number box must hold a number from `low` to `high`, a changed
  // and enabled address control all four numbers. `name` names the field in
  // the refusal.
  void CheckNumber(int id, const char* name, uint32_t low, uint32_t high);
  void CheckAddress(int id, const char* name);
  // The first failing check shows its message, takes the focus and returns
  // false; pages with rules of their own extend it.
  virtual bool Validate();

  // Each writes its field only when the control was changed.
  void StoreSliderU8(int slider, uint32_t offset);
  void StoreCheckU8(int id, uint32_t offset);
  void StoreNumberU8(int id, uint32_t offset);
  void StoreNumberU16(int id, uint32_t offset);
  void StoreText(int id, uint32_t offset, size_t width);
  // A text edit: the field's text, typing limited to what the field holds.
  void LoadText(int id, uint32_t offset, size_t width);

 private:
  struct SliderDisplay {
    int slider;
    int display;
  };
  struct FieldCheck {
    int id;
    const char* name;
    bool address;
    uint32_t low, high;
  };
  std::vector<FieldCheck> checks_;
  void ShowSliderValue(int slider);
  std::string ControlState(HWND control) const;

  SetupSheetState& state_;
  bool opened_ = false;
  std::map<int, std::string> snapshot_;
  std::vector<SliderDisplay> sliders_;
};

}  // namespace dialogs
