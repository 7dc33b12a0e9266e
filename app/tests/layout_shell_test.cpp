// Layouts in the main window: the open views saved under a name and put
// back where they were (reopened, or moved when open), a locked layout kept
// as it is, a camera entry that went left out, the last layout back at start.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/layouts/win32/layout_registry.h"
#include "app/resource.h"
#include "app/tests/shell_fixture.h"
#include "settings/win32/viewer_registry.h"

namespace app::testing {
namespace {

using dialogs::testing::PumpUntil;

class LayoutShellTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    settings::SaveLogin("Demo camera", {"demo", "demo"});  // views open without asking
  }
  static POINT TopLeft(CameraView* view) {
    RECT r{};
    GetWindowRect(view->Window(), &r);
    return {r.left, r.top};
  }
  CameraView* OnlyView() {
    const std::vector<CameraView*> open = main_->views().Snapshot();
    return open.size() == 1 ? open[0] : nullptr;
  }
};

TEST_F(LayoutShellTest, ASavedLayoutPutsItsViewsBackWhereTheyWere) {
  StartSim();
  CMainWindow& main = OpenMain();
  Connect("Demo camera");
  ASSERT_NE(OnlyView(), nullptr);
  SetWindowPos(OnlyView()->Window(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(main.layouts().Save("Desk"));
  layouts::Layout stored;
  ASSERT_TRUE(layouts::LoadLayout("Desk", &stored));
  ASSERT_EQ(stored.views.size(), 1u);
  EXPECT_EQ(stored.views[0].camera, "Demo camera");
  EXPECT_FALSE(stored.views[0].hosted);

  // Open: it moves back.
  SetWindowPos(OnlyView()->Window(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(main.layouts().Restore("Desk"));
  EXPECT_EQ(factory_.requests.size(), 1u) << "the open view was reopened";
  EXPECT_EQ(TopLeft(OnlyView()).x, 300);

  // Closed: it opens again there.
  Command(IDC_BUTTON_CLOSE);
  ASSERT_TRUE(PumpUntil([&] { return main.views().empty(); }));
  ASSERT_TRUE(main.layouts().Restore("Desk"));
  ASSERT_EQ(factory_.requests.size(), 2u);
  ASSERT_NE(OnlyView(), nullptr);
  EXPECT_EQ(TopLeft(OnlyView()).x, 300);
  EXPECT_EQ(TopLeft(OnlyView()).y, 200);

  // Locked, it is not saved over.
  stored.locked = true;
  ASSERT_TRUE(layouts::SaveLayout("Desk", stored));
  SetWindowPos(OnlyView()->Window(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(main.layouts().Save("Desk"));
  ASSERT_TRUE(layouts::LoadLayout("Desk", &stored));
  EXPECT_EQ(stored.views[0].rect.left, 300);

  // A layout of an entry that went closes what is open and opens nothing.
  ASSERT_TRUE(layouts::ParseLayout("halyard-layout 1\nview direct 0 0 320 255 1 -1 Gone camera\n", &stored));
  ASSERT_TRUE(layouts::SaveLayout("Old", stored));
  ASSERT_TRUE(main.layouts().Restore("Old"));
  EXPECT_TRUE(PumpUntil([&] { return main.views().empty(); }));
  EXPECT_EQ(factory_.requests.size(), 2u);
  EXPECT_FALSE(main.layouts().Restore("Never saved"));

  // The last layout comes back at the next start.
  CloseMain();
  layouts::SaveLastLayout("Desk");
  CMainWindow& next = OpenMain();
  ASSERT_TRUE(PumpUntil([&] { return OnlyView() != nullptr; }, 5000)) << "no view opened at start";
  EXPECT_EQ(factory_.requests.back().display_name, "Demo camera");
  EXPECT_EQ(TopLeft(OnlyView()).x, 300);
  EXPECT_EQ(next.layouts().current(), "Desk");
}

}  // namespace
}  // namespace app::testing
