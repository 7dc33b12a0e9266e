// The plan dialog as a user works it: a drag over the week paints the
// hours with the chosen mode, the file length is chosen, OK hands back the
// schedule; choosing one mode again leaves the schedule.
#include "app/storage/win32/plan_dialog.h"

#include <gtest/gtest.h>

#include "app/storage/win32/plans_resource.h"
#include "os/win32/tests/win32_test_rig.h"

namespace app::storage {
namespace {

using namespace win32::testing;

// The centre of a week cell, in the dialog's client pixels.
POINT CellCentre(HWND dialog, int day, int hour) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, IDC_PLAN_WEEK), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  const WeekGrid grid{r.right - r.left, r.bottom - r.top, 30, 14};
  int left, top, right, bottom;
  grid.Box({day, hour}, &left, &top, &right, &bottom);
  return {r.left + (left + right) / 2, r.top + (top + bottom) / 2};
}

TEST(PlanDialog, ADragPaintsTheWeeksHoursAndOkHandsBackTheSchedule) {
  node::RecordingPlan motion;
  motion.mode = node::PlanMode::kMotion;
  CPlanDialog dialog(GetModuleHandleW(nullptr), motion, "Gate");
  ModalDriver driver;
  driver.Then([&](HWND hwnd) {
    EXPECT_EQ(SendMessageW(GetDlgItem(hwnd, IDC_PLAN_MODE), CB_GETCURSEL, 0, 0), 2) << "on motion";
    Choose(hwnd, IDC_PLAN_BRUSH, 1);  // continuously
    dialog.PressWeek(CellCentre(hwnd, 0, 8));
    dialog.DragWeek(CellCentre(hwnd, 4, 17));  // Monday to Friday, 8:00 to 18:00
    dialog.ReleaseWeek();
    EXPECT_EQ(SendMessageW(GetDlgItem(hwnd, IDC_PLAN_MODE), CB_GETCURSEL, 0, 0), 4) << "by the week";
    Choose(hwnd, IDC_PLAN_FILES, 2);  // 15 minutes
    Click(hwnd, IDOK);
  });
  ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
  const node::RecordingPlan& plan = dialog.plan();
  EXPECT_TRUE(plan.scheduled);
  EXPECT_EQ(plan.ModeAt(0, 8), node::PlanMode::kContinuous);
  EXPECT_EQ(plan.ModeAt(4, 17), node::PlanMode::kContinuous);
  EXPECT_EQ(plan.ModeAt(4, 18), node::PlanMode::kMotion) << "outside the drag the mode the plan had stays";
  EXPECT_EQ(plan.file_minutes, 15);
}

TEST(PlanDialog, ChoosingOneModeAgainLeavesTheSchedule) {
  node::RecordingPlan week;
  week.scheduled = true;
  week.week[2][3] = node::PlanMode::kMotion;
  CPlanDialog dialog(GetModuleHandleW(nullptr), week, "Gate");
  ModalDriver driver;
  driver.Then([&](HWND hwnd) {
    EXPECT_EQ(SendMessageW(GetDlgItem(hwnd, IDC_PLAN_MODE), CB_GETCURSEL, 0, 0), 4);
    Choose(hwnd, IDC_PLAN_MODE, 0);
    Click(hwnd, IDOK);
  });
  ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
  EXPECT_FALSE(dialog.plan().scheduled);
  EXPECT_FALSE(dialog.plan().Active());
}

}  // namespace
}  // namespace app::storage
