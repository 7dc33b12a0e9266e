// Layouts: the stored text read back to the byte, text that is no layout
// refused, views moved onto present monitors, cameras that went left out
// (of views and of wall cells).
#include <gtest/gtest.h>

#include "app/layouts/layout.h"

namespace app::layouts {
namespace {

constexpr char kStored[] =
    "halyard-layout 1\n"
    "locked\n"
    "view direct 100 80 420 340 1 -1 Front door\n"
    "view hosted 520 80 420 340 2 0 CAM-7\n"
    "wall 2 1+5\n"
    "cell 0 hosted CAM-7\n"
    "cell 5 direct Back yard gate\n"
    "tour Night round\n"
    "wall 1 6x6\n";

TEST(Layout, TheStoredTextReadsBackToTheSameBytes) {
  Layout layout;
  ASSERT_TRUE(ParseLayout(kStored, &layout));
  // Writing it back to the same bytes keeps every field; a few read as meant.
  EXPECT_EQ(FormatLayout(layout), kStored);
  ASSERT_EQ(layout.views.size(), 2u);
  EXPECT_EQ(layout.views[0].camera, "Front door") << "a name with a space, to the line's end";
  EXPECT_EQ(layout.views[1].rect, (os::ScreenRect{520, 80, 940, 420}));
  ASSERT_EQ(layout.walls.size(), 2u);
  ASSERT_EQ(layout.walls[0].cells.size(), 6u) << "one camera slot per cell of 1+5";
  EXPECT_EQ(layout.walls[0].cells[5], (wall::WallCamera{false, "Back yard gate"}));
}

TEST(Layout, TextThatIsNoLayoutIsRefusedAndChangesNothing) {
  const char* bad[] = {
      "",
      "halyard-layout 2\n",
      "halyard-layout 1\nwall 1 1\n",
      "halyard-layout 1\nview direct 1 1 0 10 1 -1 A\n",          // no width
      "halyard-layout 1\nview direct 1 1 10 10 3 -1 A\n",         // no such screen size
      "halyard-layout 1\nview direct 1 1 10 10 1 -1 \n",          // no camera
      "halyard-layout 1\nview direct 1 1 10 10 1 0 A\n",          // docked to itself
      "halyard-layout 1\nview direct 1 1 10 10 1 5 A\n",          // to a view not listed
      "halyard-layout 1\nview direct 1 1 10 10 1 -1 A\x01\n",
      "halyard-layout 1\nview direct 99999999999 1 10 10 1 -1 A\n",
      "halyard-layout 1\ncell 0 direct A\n",                     // a cell of no wall
      "halyard-layout 1\nwall 0 2x2\n",                          // no monitor 0
      "halyard-layout 1\nwall 1 7x7\n",
      "halyard-layout 1\nwall 1 2x2 extra\n",
      "halyard-layout 1\nwall 1 2x2\ncell 4 direct A\n",        // a 2x2 wall has cells 0 to 3
      "halyard-layout 1\nwall 1 2x2\ncell 1 direct A\ncell 1 direct B\n",
      "halyard-layout 1\nwall 1 2x2\ncell 1 remote A\n",
      "halyard-layout 1\nwall 1 2x2\ncell 1 hosted \n",
      "halyard-layout 1\ntour Night\n",                          // a tour of no wall
      "halyard-layout 1\nwall 1 2x2\ntour A\ntour B\n",
  };
  for (const char* text : bad) {
    Layout layout;
    layout.locked = true;
    EXPECT_FALSE(ParseLayout(text, &layout)) << text;
    EXPECT_TRUE(layout.locked) << text;
  }
  std::string many = "halyard-layout 1\n";
  for (size_t i = 0; i <= Layout::kMaxViews; ++i) many += "view hosted 0 0 10 10 1 -1 C\n";
  Layout layout;
  EXPECT_FALSE(ParseLayout(many, &layout));
  std::string walls = "halyard-layout 1\n";
  for (size_t i = 0; i <= Layout::kMaxWalls; ++i) walls += "wall 1 1x1\n";
  EXPECT_FALSE(ParseLayout(walls, &layout));
  EXPECT_TRUE(ValidLayoutName("Night shift 2"));
  for (const char* name : {"", " lead", "trail ", "back\\slash", "tab\there"}) EXPECT_FALSE(ValidLayoutName(name)) << name;
}

TEST(Layout, ASavedLayoutOfThreeMonitorsComesBackOnOne) {
  Layout layout;
  ASSERT_TRUE(ParseLayout("halyard-layout 1\n"
                          "view direct 100 100 400 300 1 -1 A\n"
                          "view direct 2000 100 400 300 1 -1 B\n"   // the second monitor's
                          "view direct -1500 200 400 300 1 -1 C\n",  // a monitor left of the primary
                          &layout));
  const std::vector<os::ScreenRect> one = {{0, 0, 1920, 1040}};
  FitToMonitors(&layout, one);
  for (const LayoutView& view : layout.views) {
    EXPECT_GE(view.rect.left, 0) << view.camera;
    EXPECT_LE(view.rect.right, 1920) << view.camera;
    EXPECT_EQ(view.rect.width(), 400) << view.camera << " keeps its size";
  }
  EXPECT_EQ(layout.views[0].rect, (os::ScreenRect{100, 100, 500, 400})) << "a view on a present monitor stays";
}

TEST(Layout, ViewsOfCamerasThatWentAreLeftOutAndDocksFollow) {
  Layout layout;
  ASSERT_TRUE(ParseLayout("halyard-layout 1\n"
                          "view direct 0 0 10 10 1 -1 Gone\n"
                          "view direct 0 0 10 10 1 -1 Kept\n"
                          "view direct 0 0 10 10 1 0 DockedToGone\n"
                          "view direct 0 0 10 10 1 1 DockedToKept\n"
                          "wall 1 2x2\n"
                          "cell 0 direct Kept\n"
                          "cell 3 direct Gone\n"
                          "cell 2 hosted Gone\n",  // a hosted id of the same text is another camera
                          &layout));
  EXPECT_EQ(DropMissingCameras(&layout, [](const LayoutView& v) { return v.hosted || v.camera != "Gone"; }), 2u);
  const wall::WallSetup& wall = layout.walls[0];
  EXPECT_EQ(wall.cells[0].name, "Kept");
  EXPECT_TRUE(wall.cells[3].empty()) << "the cell stays, empty, so the others keep their places";
  EXPECT_EQ(wall.cells[2].name, "Gone");
  ASSERT_EQ(layout.views.size(), 3u);
  EXPECT_EQ(layout.views[1].docked_to, -1);
  EXPECT_EQ(layout.views[2].docked_to, 0);
}

}  // namespace
}  // namespace app::layouts
