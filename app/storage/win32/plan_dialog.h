#pragma once
// A camera's recording plan, edited: what it records (off, continuously, on
// motion, both, or by the week below), the week's hours painted by
// dragging over them with the mode chosen beside, and how long each file
// runs. Modal, on the window thread.
#include <windows.h>

#include <string>

#include "app/storage/plan_week.h"
#include "node/storage/recording_plan.h"
#include "os/win32/dialog.h"

namespace app::storage {

class CPlanDialog : public win32::CDialogBase {
 public:
  CPlanDialog(HINSTANCE instance, const node::RecordingPlan& plan, const std::string& camera);
  const node::RecordingPlan& plan() const { return plan_; }

  // What the mouse does on the week, in the dialog's client pixels (tests drive it so).
  void PressWeek(POINT at);
  void DragWeek(POINT at);
  void ReleaseWeek();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnOK() override;

 private:
  WeekGrid Grid(POINT* origin) const;
  void DrawWeek(const DRAWITEMSTRUCT& item) const;
  void ShowMode();

  node::RecordingPlan plan_;
  std::string camera_;
  bool dragging_ = false;
  WeekCell drag_from_;
  node::RecordingPlan before_drag_;
};

}  // namespace app::storage
