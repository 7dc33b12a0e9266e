// The wall's window with links of its own making: cells cut as the grid
// says and filled by a double click, the cell's label following its
// camera's notices, a cell that could not link trying again, a new grid
// keeping its cameras, a camera tour on a clock of the test's own; and one
// link per camera however many cells show it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "app/wall/win32/shared_cell_links.h"
#include "app/wall/win32/wall_window.h"
#include "os/win32/tests/win32_test_rig.h"
#include "os/window_seam.h"

namespace app::wall {
namespace {

class FakeLink : public storage::PlanLink {
 public:
  explicit FakeLink(int* open) : open_(open) { ++*open_; }
  ~FakeLink() override { --*open_; }
  node::NodeMedia& media() override { std::abort(); }  // the wall never asks

 private:
  int* open_;
};

class RecordingSink : public present::PictureSink {
 public:
  void ShowPicture(const codec::DecodedPicture& p) override { shown.push_back(p.width); }
  void Resize(int width, int height) override { sizes.push_back(width * 10000 + height); }
  std::vector<int> shown, sizes;
};

// Links that open (or fail, while `refuse` is set) and remember what the cells asked for.
struct FakeOpener {
  int opened = 0, open_now = 0;
  bool refuse = false;
  std::vector<storage::ShownLinkOptions> asked;
  std::unique_ptr<storage::PlanLink> Open(const WallCamera&, storage::ShownLinkOptions options, std::string* why) {
    if (refuse) {
      *why = "waiting for the hosting server to list it";
      return nullptr;
    }
    ++opened;
    asked.push_back(std::move(options));
    return std::make_unique<FakeLink>(&open_now);
  }
};

class FakeWallOwner : public WallWindowOwner {
 public:
  std::unique_ptr<storage::PlanLink> OpenWallLink(const WallCamera& camera, storage::ShownLinkOptions options,
                                                  std::string* why) override {
    return opener.Open(camera, std::move(options), why);
  }
  void OpenViewOf(const WallCamera&) override {}
  void WallChanged(CWallWindow*) override { ++changes; }
  void WallClosing(CWallWindow*) override {}
  FakeOpener opener;
  int changes = 0;
};

WallSetup Grid(const char* pattern) {
  WallSetup setup;
  WallPattern p;
  ParseWallPattern(pattern, &p);
  setup.SetPattern(p);
  return setup;
}

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

TEST(WallWindow, CellsFollowTheGridAndADoubleClickFillsTheWall) {
  FakeWallOwner owner;
  WallSetup setup = Grid("1+5");
  setup.cells[0] = {true, "CAM-1"};
  setup.cells[3] = {false, "Gate"};
  CWallWindow wall(owner, setup);
  ASSERT_TRUE(wall.Open({{0, 0, 600, 300}}));
  ASSERT_EQ(wall.cell_count(), 6);
  EXPECT_EQ(owner.opener.opened, 2) << "only the cells with a camera link";
  EXPECT_EQ(RectOf(wall.cell(0).hwnd()).right, 400) << "1+5: the big cell is two thirds wide";
  EXPECT_EQ(wall.CellAt({450, 50}), 1);
  EXPECT_EQ(wall.cell(1).label(), "Empty");
  EXPECT_EQ(wall.cell(0).label(), "CAM-1 - connecting");

  SendMessageW(wall.cell(3).hwnd(), WM_LBUTTONDBLCLK, 0, 0);
  EXPECT_EQ(wall.zoomed(), 3);
  EXPECT_EQ(RectOf(wall.cell(3).hwnd()).right, 600);
  EXPECT_FALSE(IsWindowVisible(wall.cell(0).hwnd())) << "a cell off the wall draws nothing";
  EXPECT_EQ(wall.CellAt({10, 10}), 3);
  SendMessageW(wall.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(wall.zoomed(), -1);
  EXPECT_TRUE(IsWindowVisible(wall.cell(0).hwnd()));

  WallPattern two;
  ParseWallPattern("2x2", &two);
  wall.SetPattern(two);
  EXPECT_EQ(wall.cell_count(), 4);
  EXPECT_EQ(wall.setup().cells[3].name, "Gate") << "a new grid keeps the cameras of the cells it still has";
  EXPECT_EQ(owner.opener.open_now, 2);
  EXPECT_GE(owner.changes, 1);
}

TEST(WallWindow, TheLabelSaysWhatTheCameraDoesAndAFailedCellTriesAgain) {
  FakeWallOwner owner;
  owner.opener.refuse = true;
  WallSetup setup = Grid("1x1");
  setup.cells[0] = {true, "CAM-7"};
  CWallWindow wall(owner, setup);
  ASSERT_TRUE(wall.Open({{0, 0, 320, 240}}));
  EXPECT_EQ(wall.cell(0).state(), CellState::kFailed);
  EXPECT_EQ(wall.cell(0).label(), "CAM-7 - waiting for the hosting server to list it");
  owner.opener.refuse = false;
  for (int i = 0; i < 5; ++i) wall.Tick();
  ASSERT_EQ(owner.opener.opened, 1) << "no second try within five seconds";
  EXPECT_EQ(wall.cell(0).state(), CellState::kConnecting);

  auto& notice = owner.opener.asked[0].notice;
  notice(os::kWmNodeOutage, 0, 1);
  EXPECT_EQ(wall.cell(0).state(), CellState::kLost);
  EXPECT_NE(wall.cell(0).label().find("CAM-7 - no video since "), std::string::npos) << wall.cell(0).label();
  notice(os::kWmNodeOutage, 0, 0);
  notice(os::kWmNodeMotion, 0, 1);
  EXPECT_EQ(wall.cell(0).label(), "CAM-7 - motion");
  notice(os::kWmNodeMotion, 0, 0);
  EXPECT_EQ(wall.cell(0).label(), "CAM-7");

  wall.SetCamera(0, {});
  EXPECT_EQ(owner.opener.open_now, 0) << "an emptied cell's link closes";
  EXPECT_EQ(wall.cell(0).state(), CellState::kEmpty);
}

// The clock's rules are the tour's own test; here the wall feeds it its
// ticks, its cells' motion and the user's mouse, and shows what it says.
TEST(WallWindow, ACameraTourMovesOnGivesTheBigCellToMotionAndWaitsForTheUser) {
  FakeWallOwner owner;
  int64_t now = 1000;
  WallSetup setup = Grid("2x2");
  setup.cells[0] = {false, "Lobby"};
  setup.cells[2] = {false, "Gate"};
  CWallWindow wall(owner, setup, [&] { return now; });
  ASSERT_TRUE(wall.Open({{0, 0, 400, 300}}));
  Tour tour;
  tour.cell = 1;
  tour.motion_takes_big_cell = true;
  tour.steps = {{"", {true, "CAM-1"}, 10}, {"", {true, "CAM-2"}, 10}};
  ASSERT_TRUE(wall.RunTour(tour));
  EXPECT_EQ(wall.setup().cells[1].name, "CAM-1");
  now += 10000;
  wall.Tick();
  EXPECT_EQ(wall.setup().cells[1].name, "CAM-2");

  // Gate's cell reports motion: Gate takes the big cell, Lobby comes back after.
  const size_t gate = 1;  // the links opened: Lobby, Gate, then the tour's
  ASSERT_TRUE(owner.opener.asked[gate].notice);
  owner.opener.asked[gate].notice(os::kWmNodeMotion, 0, 1);
  now += 1000;
  wall.Tick();
  EXPECT_EQ(wall.setup().cells[0].name, "Gate");
  owner.opener.asked[gate].notice(os::kWmNodeMotion, 0, 0);
  for (int i = 0; i < 12; ++i) {
    now += 1000;
    wall.Tick();
  }
  EXPECT_EQ(wall.setup().cells[0].name, "Lobby");

  const std::string shown = wall.setup().cells[1].name;
  SendMessageW(wall.cell(3).hwnd(), WM_MOUSEMOVE, 0, 0);  // the operator works in the wall
  now += 20000;
  wall.Tick();
  EXPECT_EQ(wall.setup().cells[1].name, shown) << "no step while the user works";

  Tour layouts;
  layouts.kind = Tour::Kind::kLayouts;
  layouts.steps = {{"Day", {}, 10}};
  EXPECT_FALSE(wall.RunTour(layouts)) << "a layout tour is the program's, not a wall's";
  WallPattern one;
  ParseWallPattern("1x1", &one);
  wall.SetPattern(one);
  EXPECT_EQ(wall.tour(), nullptr) << "a grid without the tour's cell ends the tour";
}

TEST(SharedCellLinks, OneLinkPerCameraWhosePicturesAndNoticesReachEveryCell) {
  FakeOpener opener;
  SharedCellLinks links([&](const WallCamera& c, storage::ShownLinkOptions o, std::string* why) {
    return opener.Open(c, std::move(o), why);
  });
  RecordingSink first, second, other;
  int first_notices = 0, second_notices = 0;
  std::string why;
  auto a = links.Lease({true, "CAM-1"}, {&first, [&](UINT, WPARAM, LPARAM) { ++first_notices; }}, &why);
  auto c = links.Lease({false, "CAM-1"}, {&other, nullptr}, &why);  // an entry of that name is another camera
  ASSERT_TRUE(a && c);
  EXPECT_EQ(opener.opened, 2);
  present::PictureSink& fan = *opener.asked[0].sink;
  fan.Resize(176, 144);
  codec::DecodedPicture picture;
  picture.width = 176;
  fan.ShowPicture(picture);

  auto b = links.Lease({true, "CAM-1"}, {&second, [&](UINT, WPARAM, LPARAM) { ++second_notices; }}, &why);
  ASSERT_TRUE(b);
  EXPECT_EQ(opener.opened, 2) << "the second cell of CAM-1 shares its link";
  EXPECT_EQ(second.sizes, std::vector<int>{1760144}) << "a cell joining a running stream learns its size first";
  fan.ShowPicture(picture);
  EXPECT_EQ(first.shown.size(), 2u);
  EXPECT_EQ(second.shown.size(), 1u);
  EXPECT_TRUE(other.shown.empty());
  opener.asked[0].notice(os::kWmNodeMotion, 0, 1);
  EXPECT_EQ(first_notices + second_notices, 2);

  a.reset();
  fan.ShowPicture(picture);
  EXPECT_EQ(first.shown.size(), 2u) << "a cell that left gets nothing more";
  EXPECT_EQ(opener.open_now, 2);
  b.reset();
  EXPECT_EQ(opener.open_now, 1) << "the last cell of a camera closes its link";
  EXPECT_EQ(links.links(), 1u);
}

}  // namespace
}  // namespace app::wall
