#pragma once
// The preset setup dialog (template 206 "Preset Setup"): the camera's preset
// table in a list, edited on the dialog's own copy of the camera's record and
// sent whole with Apply. The two waits for the camera (its position, and its
// acknowledgement of the preset tour switch) run in the background: the
// window keeps drawing and answering, and closes only once a wait is over.
#include <windows.h>

#include "dialogs/preset/preset_table.h"
#include "dialogs/preset/win32/background_wait.h"
#include "dialogs/preset/win32/preset_prompts.h"
#include "net/camera_setup_info.h"
#include "net/control_messages.h"
#include "os/win32/dialog.h"
#include "os/win32/list_view.h"

namespace node {
class CameraControl;
class CNodeWindow;
}

namespace dialogs {

class CPresetSetupDialog : public win32::CDialogBase {
 public:
  // Edits a copy of `record` (the camera's configuration) and sends it through `control`.
  CPresetSetupDialog(HINSTANCE instance, node::CameraControl& control, const net::CameraSetupInfo& record,
                     PresetPrompts& prompts = PresetPrompts::Default());

  const preset::PresetRows& rows() const { return rows_; }
  bool tour() const { return tour_; }
  bool waiting() const { return wait_.busy(); }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnOK() override {}  // Enter does not close the dialog: Apply does
  void OnCancel() override;

 private:
  void Add();
  void OnPositionAnswer(bool answered);
  void Modify();
  void Remove();
  void RemoveAll();
  void Move(int delta);
  void GoTo(int row);
  void SwitchTour();
  void OnTourAnswer(bool answered);
  void Apply();
  // Refills the list from the rows and selects `select` (-1: none).
  void ShowRows(int select);
  // Enables the editing buttons by the tour switch, the table size and a running wait.
  void UpdateButtons();

  node::CameraControl& control_;
  PresetPrompts& prompts_;
  net::CameraSetupInfo info_;
  preset::PresetRows rows_;
  win32::ListView list_;
  bool tour_ = false;
  bool apply_locked_ = false;  // the tour was on at opening: Apply stays disabled
  bool close_pending_ = false;  // Cancel came during a wait
  BackgroundWait wait_;
  net::PtzPosition position_{};  // the worker writes it before posting its answer
};

// The "Preset Setting" command (33010) of a camera view: the preset setup
// dialog on a copy of the node's record, modal. It opens only when the
// camera's record has arrived over an open video connection (until then the
// node holds only defaults, which Apply would send as the camera's
// configuration). Returns 1 when Apply sent the table, 0 when cancelled, -1
// when it did not open.
int ShowPresetSetupDialog(HWND parent, node::CNodeWindow& node);

}  // namespace dialogs
