// The video wall in the main window: nine cameras of the hosting server on a
// 3x3 wall each show moving pictures read back from the screen, a camera
// dropped on a cell shows there, and a saved layout brings the wall back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>

#include "app/layouts/win32/layout_registry.h"
#include "app/tests/shell_fixture.h"

namespace app::testing {
namespace {

using dialogs::testing::PumpUntil;

// How many colours a 16x16 sampling of the screen inside `r` holds.
size_t ColoursOnScreen(const RECT& r) {
  const win32::testing::ScreenPicture picture = win32::testing::CaptureScreen(r);
  std::set<uint32_t> colours;
  for (int y = 0; y < picture.height; y += std::max(1, picture.height / 16))
    for (int x = 0; x < picture.width; x += std::max(1, picture.width / 16)) colours.insert(picture.At(x, y));
  return colours.size();
}

class WallShellTest : public ShellTest {
 protected:
  static constexpr int kCameras = 9;

  wall::WallSetup NineCameras() {
    wall::WallSetup setup;
    wall::WallPattern three;
    wall::ParseWallPattern("3x3", &three);
    setup.SetPattern(three);
    for (int i = 0; i < kCameras; ++i) setup.cells[size_t(i)] = {true, "CAM-" + std::to_string(i + 1)};
    return setup;
  }
  // Every cell of the wall has had pictures and shows a picture now.
  static bool ShowsPictures(const wall::CWallWindow& wall) {
    for (int i = 0; i < wall.cell_count(); ++i)
      if (wall.cell(i).state() != wall::CellState::kLive) return false;
    for (int i = 0; i < wall.cell_count(); ++i) {
      RECT r{};
      GetWindowRect(wall.cell(i).picture(), &r);
      if (ColoursOnScreen(r) < 8) return false;
    }
    return true;
  }
  static std::string States(const wall::CWallWindow& wall) {
    std::string text;
    for (int i = 0; i < wall.cell_count(); ++i) text += wall.cell(i).label() + "; ";
    return text;
  }
};

TEST_F(WallShellTest, NineCamerasOnAThreeByThreeWallShowPicturesAndComeBackFromALayout) {
  StartSim(kCameras - 2);
  CMainWindow& main = OpenMain();
  Connect("Demo server");
  ASSERT_TRUE(WaitHostOnline());
  wall::CWallWindow* wall = main.walls().Open(NineCameras());
  ASSERT_NE(wall, nullptr);
  ASSERT_EQ(wall->cell_count(), kCameras);
  EXPECT_TRUE(PumpUntil([&] { return ShowsPictures(*wall); }, 30000)) << States(*wall);

  // A camera let go over a cell shows there.
  RECT first{};
  GetWindowRect(wall->cell(0).hwnd(), &first);
  ASSERT_TRUE(main.walls().Drop({true, "CAM-9"}, {first.left + 5, first.top + 5}));
  EXPECT_EQ(wall->setup().cells[0].name, "CAM-9");

  ASSERT_TRUE(main.layouts().Save("Wall"));
  layouts::Layout stored;
  ASSERT_TRUE(layouts::LoadLayout("Wall", &stored));
  ASSERT_EQ(stored.walls.size(), 1u);
  EXPECT_EQ(stored.walls[0].cells[0].name, "CAM-9");

  main.walls().CloseAll();
  ASSERT_TRUE(main.walls().all().empty());
  ASSERT_TRUE(main.layouts().Restore("Wall"));
  ASSERT_EQ(main.walls().all().size(), 1u);
  wall = main.walls().all()[0];
  EXPECT_EQ(wall->setup(), stored.walls[0]);
  EXPECT_TRUE(PumpUntil([&] { return ShowsPictures(*wall); }, 30000)) << States(*wall);
}

}  // namespace
}  // namespace app::testing
