// Where views go when they open and on "Sort Window": beside the main
// window first, then right of or below open views where a 320 x 255
// rectangle fits, docked to the view (or its own target); a full screen
// leaves a view where it was.
#include <gtest/gtest.h>

#include "app/view/view_layout.h"
#include "app/view/view_placement.h"

namespace app::view {
namespace {

const ScreenRect kScreen{0, 0, 1024, 768};
const ScreenRect kMain{0, 0, 250, 300};

ScreenRect At(int left, int top) { return {left, top, left + kStandardWidth, top + kStandardHeight}; }

// Opens `count` views one after the other, each placed among the ones before.
std::vector<OpenView> OpenViews(int count, const ScreenRect& screen = kScreen) {
  std::vector<OpenView> open;
  for (int i = 0; i < count; ++i) {
    const Placement p = PlaceView({0, 0, 10, 10}, kMain, open, screen);
    open.push_back({i, p.rect, p.docked_to});
  }
  return open;
}

// The camera and file list window beside the main window: the first view
// goes beside the list instead of over its tree and table.
TEST(Placement, FirstViewSitsBesideTheShownListWindow) {
  const ScreenRect wide{0, 0, 1600, 900};
  const ScreenRect list{250, 0, 710, 320};
  const Placement p = PlaceView({500, 500, 600, 600}, kMain, {}, wide, &list);
  EXPECT_EQ(At(710, 0), p.rect);
  EXPECT_EQ(kNotDocked, p.docked_to);
  const Placement later = PlaceView({0, 0, 10, 10}, kMain, {{0, p.rect, kNotDocked}}, wide, &list);
  EXPECT_EQ(At(p.rect.right, 0), later.rect) << "later views follow the first";
  EXPECT_EQ(At(250, 0), PlaceView({0, 0, 10, 10}, kMain, {}, wide, nullptr).rect) << "a hidden list changes nothing";
}

TEST(Placement, LaterViewsFillRowsRightwardsThenGoBelow) {
  const std::vector<OpenView> open = OpenViews(4);
  // The first at the main window's right edge, undocked.
  // 250 + 332 = 582 and 582 + 320 = 902 fit on 1024; 914 + 320 does not.
  const ScreenRect expected[] = {At(250, 0), At(582, 0), At(250, 273), At(582, 273)};
  ASSERT_EQ(4u, open.size());
  for (size_t i = 0; i < open.size(); ++i) EXPECT_EQ(expected[i], open[i].rect) << "view " << i;
  // Each docks to the view it was placed against, or to that view's own
  // target: the whole wall hangs on the first view.
  EXPECT_EQ(kNotDocked, open[0].docked_to);
  for (size_t i = 1; i < open.size(); ++i) EXPECT_EQ(0, open[i].docked_to) << "view " << i;
}

TEST(Placement, APlaceMustFitTheSmallRectangleAndOverlapNoView) {
  struct Case {
    const char* what;
    std::vector<OpenView> open;
    ScreenRect expected;
    int docked_to;
  } cases[] = {
      {"right of the only view", {{7, At(100, 100), kNotDocked}}, At(432, 100), 7},
      {"right is off screen, so below", {{7, At(700, 100), kNotDocked}}, At(700, 373), 7},
      {"320 wide fits exactly at the right edge", {{7, {0, 0, 704, 273}, kNotDocked}}, At(704, 0), 7},
      {"one pixel too far: below instead", {{7, {0, 0, 705, 273}, kNotDocked}}, At(0, 273), 7},
      {"a view in the way of the right place",
       {{7, At(100, 100), kNotDocked}, {8, At(500, 150), 7}},
       At(100, 373), 7},
      {"placed against a docked view docks to its target",
       {{7, At(600, 0), kNotDocked}, {8, At(0, 400), 7}},
       At(332, 400), 7},
  };
  for (const Case& c : cases) {
    const Placement p = PlaceView({5, 5, 6, 6}, kMain, c.open, kScreen);
    EXPECT_EQ(c.expected, p.rect) << c.what;
    EXPECT_EQ(c.docked_to, p.docked_to) << c.what;
  }
}

TEST(Placement, WithTheScreenFullAViewKeepsItsPositionAndTakesTheStandardSize) {
  // Below the second row, 546 + 255 = 801 runs off a 768-pixel screen.
  std::vector<OpenView> open = OpenViews(4);
  const Placement p = PlaceView({40, 50, 700, 600}, kMain, open, kScreen);
  EXPECT_EQ(At(40, 50), p.rect);
  EXPECT_EQ(kNotDocked, p.docked_to);
}

TEST(Placement, ManyViewsOnALargeScreenNeverOverlap) {
  const ScreenRect big{0, 0, 2720, 2160};
  const std::vector<OpenView> open = OpenViews(16, big);
  for (size_t i = 0; i < open.size(); ++i) {
    for (size_t j = i + 1; j < open.size(); ++j) {
      const ScreenRect& a = open[i].rect;
      const ScreenRect& b = open[j].rect;
      const bool overlap = a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
      EXPECT_FALSE(overlap) << i << " and " << j;
    }
  }
}

TEST(FrameLayout, ScreenSizesHaveTheTablesFrameButtonsAndPicture) {
  struct Case {
    uint32_t command;
    int width, height;
    ScreenRect close, picture;
  } cases[] = {
      {32770, 333, 273, {307, 5, 324, 20}, {78, 76, 254, 220}},
      {32774, 332, 273, {307, 5, 324, 20}, {6, 28, 326, 268}},
      {32772, 652, 513, {627, 5, 644, 20}, {6, 28, 646, 508}},
  };
  for (const Case& c : cases) {
    ScreenSize size;
    ASSERT_TRUE(ScreenSizeFor(c.command, &size));
    EXPECT_EQ(c.command, CommandFor(size));
    const FrameLayout l = LayoutFor(size);
    EXPECT_EQ(c.width, l.width);
    EXPECT_EQ(c.height, l.height);
    EXPECT_EQ(c.close, l.buttons[kButtonClose]);
    EXPECT_EQ(c.picture, l.picture);
    // The status line ends before the first button and stays in the caption.
    EXPECT_LT(l.status.right, l.buttons[kButtonAudio].left) << c.command;
    EXPECT_LE(l.status.bottom, l.picture.top) << c.command;
  }
  ScreenSize size;
  EXPECT_FALSE(ScreenSizeFor(32773, &size)) << "full screen is not a frame size";
}

// At 150 % (144 DPI) the frame and where views go grow with the display.
TEST(ViewLayout, TheFrameAndItsPlaceGrowWithTheDisplay) {
  const FrameLayout l = LayoutFor(ScreenSize::k1x, 150);
  EXPECT_EQ(498, l.width);
  EXPECT_EQ(410, l.height);
  EXPECT_EQ((ScreenRect{9, 42, 489, 402}), l.picture) << "the picture area, 480 x 360";
  EXPECT_EQ((ScreenRect{461, 8, 486, 30}), l.buttons[kButtonClose]);
  const Placement p = PlaceView({0, 0, 10, 10}, kMain, {}, kScreen, nullptr, 150);
  EXPECT_EQ((ScreenRect{kMain.right, kMain.top, kMain.right + 498, kMain.top + 410}), p.rect);
}

}  // namespace
}  // namespace app::view
