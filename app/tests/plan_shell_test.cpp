// A camera that records by plan: resumed at start without a view, its link
// handed to a view or a wall cell of the camera and taken back when it
// closes, and taken off by the plan's Off.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/alerts/camera_alerts.h"
#include "app/resource.h"
#include "app/storage/win32/plan_registry.h"
#include "app/tests/shell_fixture.h"

namespace app::testing {
namespace {

using dialogs::testing::PumpUntil;

class PlanShellTest : public ShellTest {
 protected:
  // The plan of the last run: "Demo camera" continuously, its login kept.
  void StorePlan() {
    storage::StorageSettings storage;
    storage.root = root_;
    storage.limits.free_set = true;
    storage.limits.min_free_bytes = 1 << 20;  // whatever the test machine's disk holds
    storage::SaveStorageSettings(storage);
    node::RecordingPlan plan;
    plan.mode = node::PlanMode::kContinuous;
    storage::SavePlan(camera_, plan);
    storage::SavePlanLogin(camera_.name, "demo", "demo");
  }
  node::PlanStateKind TreeState() { return main_->tree().EntryOf(Server(camera_.name))->plan_state; }
  std::string Connections() { return Sim("connections CAM-1").at(0); }

  const std::string root_ = sandbox_.folder.File("plans");
  const storage::PlanCamera camera_{false, "Demo camera"};
};

TEST_F(PlanShellTest, APlanRecordsWithoutAViewAndLendsItsCameraToAViewOfIt) {
  StartSim();
  StorePlan();
  CMainWindow& main = OpenMain();
  ASSERT_TRUE(PumpUntil([&] { return TreeState() == node::PlanStateKind::kRecording; }, 20000))
      << main.plans()->plans().StateOf(camera_).why;
  EXPECT_TRUE(main.plans()->plans().HasOwnLink(camera_));
  // Its entry is online although no view shows it; the other entry on the same address is not.
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Server(camera_.name)) == "Demo camera (Online)"; }));
  EXPECT_EQ(TextOf(Server("Second camera")), "Second camera (Offline)");
  const std::string own = Connections();
  // A new file each time the plan changes links.
  std::string file = main.plans()->plans().StateOf(camera_).path;
  auto recordsAnew = [&] {
    const node::PlanState state = main.plans()->plans().StateOf(camera_);
    if (state.kind != node::PlanStateKind::kRecording || state.path == file) return false;
    file = state.path;
    return true;
  };

  Connect(camera_.name);  // a view of the camera: the plan records through its link
  EXPECT_FALSE(main.plans()->plans().HasOwnLink(camera_));
  EXPECT_TRUE(PumpUntil([&] { return Connections() == own; }, 10000)) << Connections() << " beside the view's, was " << own;
  EXPECT_TRUE(PumpUntil(recordsAnew, 20000)) << main.plans()->plans().StateOf(camera_).why;

  Command(IDC_BUTTON_CLOSE);  // the view closes; the plan takes its own link again
  ASSERT_TRUE(PumpUntil([&] { return main.views().empty(); }));
  EXPECT_TRUE(main.plans()->plans().HasOwnLink(camera_));
  EXPECT_TRUE(PumpUntil(recordsAnew, 20000)) << main.plans()->plans().StateOf(camera_).why;
  EXPECT_TRUE(PumpUntil([&] { return TreeState() == node::PlanStateKind::kRecording; }));

  // A wall's cell lends its link as a view does: the camera still sees one login.
  wall::WallSetup setup;
  wall::WallPattern one;
  wall::ParseWallPattern("1x1", &one);
  setup.SetPattern(one);
  setup.cells[0] = {false, camera_.name};
  wall::CWallWindow* wall = main.walls().Open(setup);
  ASSERT_NE(wall, nullptr);
  EXPECT_FALSE(main.plans()->plans().HasOwnLink(camera_));
  EXPECT_TRUE(PumpUntil([&] { return wall->cell(0).state() == wall::CellState::kLive; }, 10000)) << wall->cell(0).label();
  EXPECT_TRUE(PumpUntil([&] { return Connections() == own; }, 10000)) << Connections() << ", was " << own;
  EXPECT_TRUE(PumpUntil(recordsAnew, 20000)) << main.plans()->plans().StateOf(camera_).why;
  main.walls().CloseAll();
  EXPECT_TRUE(main.plans()->plans().HasOwnLink(camera_));

  main.plans()->SetPlan(camera_, node::PlanMode::kOff);
  EXPECT_FALSE(main.plans()->plans().HasOwnLink(camera_));
  EXPECT_TRUE(storage::LoadPlans().empty()) << "the plan that was taken off comes back at the next start";
  EXPECT_TRUE(PumpUntil([&] { return Connections() == "open 0"; }, 10000)) << Connections();
}

// A camera recorded by plan alone has no view to bring forward: its alert
// opens one, and the plan moves onto it.
TEST_F(PlanShellTest, AnAlertOfACameraRecordedWithoutAViewOpensItsView) {
  StartSim();
  StorePlan();
  alerts::AlertRules rules;
  rules.bring_forward = true;
  alerts::RememberAlertRules("CAM-1", rules);
  CMainWindow& main = OpenMain();
  main.alerts().SetArmed(true);
  ASSERT_TRUE(PumpUntil([&] { return TreeState() == node::PlanStateKind::kRecording; }, 20000));
  HWND link = FindWindowExW(HWND_MESSAGE, nullptr, L"HalyardPlanLink", nullptr);
  ASSERT_NE(link, nullptr);
  PostMessageW(link, os::kWmNodeMotion, 0, 1);  // what the link's media worker posts when a motion starts
  ASSERT_TRUE(PumpUntil([&] { return !factory_.requests.empty(); }, 5000)) << "no view was opened: " << [&] {
    std::string lines;
    for (const node::EventEntry& e : main.core().event_log().Entries()) lines += e.camera + ": " + e.text + "\n";
    return lines;
  }();
  EXPECT_EQ(factory_.requests[0].display_name, camera_.name);
  EXPECT_EQ(factory_.requests[0].login.user, "demo") << "the plan's login";
  EXPECT_FALSE(main.plans()->plans().HasOwnLink(camera_));
}

}  // namespace
}  // namespace app::testing
