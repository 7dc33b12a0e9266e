// Tours: the stored form written and read back exactly and every broken text
// refused; the clock's steps by their own dwells, its pauses that keep the
// dwell left, the big cell handed from one moving camera to the next, and
// clocks that jump either way.
#include <gtest/gtest.h>

#include <limits>

#include "app/wall/tour.h"

namespace app::wall {
namespace {

using namespace std::string_literals;

TourCamera Direct(const char* name) { return {false, name}; }

Tour CameraTour(std::vector<int> dwells, bool motion = false) {
  Tour tour{Tour::Kind::kCameras, 4, motion, {}};
  for (int d : dwells) tour.steps.push_back({"", Direct("Cam"), d});
  return tour;
}

TEST(TourText, WritesTheStoredFormAndReadsItBackExactlyUpToTheLimits) {
  Tour cameras{Tour::Kind::kCameras, 4, true, {{"", Direct("Front door"), 10}, {"", {true, "CAM-7"}, 15}}};
  const std::string text = FormatTour(cameras);
  EXPECT_EQ(text, "halyard-tour 1\ncameras 4\nmotion\nstep 10 direct Front door\nstep 15 hosted CAM-7\n");
  Tour read;
  ASSERT_TRUE(ParseTour(text, &read));
  EXPECT_EQ(read, cameras);

  Tour layouts{Tour::Kind::kLayouts, 0, false, {{"Morning shift", {}, 20}, {"Nacht \xC3\xBC", {}, 3600}}};
  ASSERT_TRUE(ParseTour("halyard-tour 1\r\n\r\nlayouts\r\nstep 20 Morning shift\r\nstep 3600 Nacht \xC3\xBC", &read));
  EXPECT_EQ(read, layouts);
  EXPECT_EQ(FormatTour(layouts), "halyard-tour 1\nlayouts\nstep 20 Morning shift\nstep 3600 Nacht \xC3\xBC\n");

  // The largest tour the limits allow reads back; one step or byte more does not.
  Tour big{Tour::Kind::kCameras, Tour::kMaxCell, true, {}};
  for (size_t i = 0; i < Tour::kMaxSteps; ++i)
    big.steps.push_back({"", {true, std::string(Tour::kMaxNameLength, 'x')}, Tour::kMaxDwellSeconds});
  ASSERT_TRUE(ParseTour(FormatTour(big), &read));
  EXPECT_EQ(read, big);
  big.steps.push_back(big.steps.back());
  EXPECT_FALSE(ParseTour(FormatTour(big), &read));
  big.steps.resize(1);
  big.steps[0].camera.name += "x";
  EXPECT_FALSE(ParseTour(FormatTour(big), &read));
}

TEST(TourText, RefusesTextsThatAreNoTour) {
  Tour tour;
  const std::string head = "halyard-tour 1\n";
  for (const std::string& text : {""s, head, "halyard-tour 2\nlayouts\nstep 5 A\n"s, head + "layouts\n",
                                  head + "step 5 A\nlayouts\n", head + "cameras 1\nstep 5 direct A\0B\n"s,
                                  head + "layouts\n" + std::string(Tour::kMaxTextLength, '\n') + "step 5 A\n"})
    EXPECT_FALSE(ParseTour(text, &tour)) << text;
  // Each of these lines spoils a tour that reads without it.
  const std::string layouts = head + "layouts\nmotion\nstep 5 A\n", cameras = head + "cameras 4\nstep 5 direct A\n";
  ASSERT_TRUE(ParseTour(layouts, &tour) && ParseTour(cameras, &tour));
  for (const char* kind : {"cameras 36", "cameras -1", "cameras", "cameras 4x", "cameras 4 ", "layouts 3"})
    EXPECT_FALSE(ParseTour(head + kind + "\nstep 5 direct A\n", &tour)) << kind;
  for (const char* line :
       {"step 0 B", "step 3601 B", "step 99999999999 B", "step +5 B", "step 5", "step 5 ", "step 5  B", "step 5 B ",
        "step 5 B\tC", "step 5 B\x7f", "motion", "layouts", "cameras 4", "loop", "Step 5 B"})
    EXPECT_FALSE(ParseTour(layouts + line, &tour)) << line;
  for (const char* line : {"step 5 Morning shift", "step 5 direct", "step 5 Direct A", "layouts"})
    EXPECT_FALSE(ParseTour(cameras + line, &tour)) << line;
  std::string error;
  EXPECT_FALSE(ParseTour(head + "layouts\nstep 5 A\nstep 0 B\n", &tour, &error));
  EXPECT_EQ(error, "line 4: a bad step");
}

TEST(TourClock, EachStepShowsForItsOwnDwellThenTheTourWraps) {
  TourClock clock(CameraTour({10, 5, 20}));
  clock.Start(1000);
  EXPECT_EQ(clock.Tick(1000), (TourShow{0, {}}));
  EXPECT_EQ(clock.Tick(10999), std::nullopt);
  EXPECT_EQ(clock.Tick(11000), (TourShow{1, {}}));
  EXPECT_EQ(clock.Tick(16000), (TourShow{2, {}}));
  EXPECT_EQ(clock.Tick(35999), std::nullopt);
  EXPECT_EQ(clock.Tick(36000), (TourShow{0, {}}));
}

TEST(TourClock, OneStepOrNoStepTourNeverMoves) {
  TourClock one(CameraTour({1}));
  one.Start(0);
  EXPECT_EQ(one.Tick(0), (TourShow{0, {}}));
  for (int64_t t = 500; t < 100000; t += 500) ASSERT_EQ(one.Tick(t), std::nullopt);
  TourClock none(CameraTour({}));
  none.Start(0);
  EXPECT_FALSE(none.running());
  EXPECT_EQ(none.Tick(5000), std::nullopt);
}

TEST(TourClock, ActivityPausesAndTheStepKeepsTheDwellItHadLeft) {
  TourClock clock(CameraTour({10, 10}));
  clock.Start(0);
  ASSERT_TRUE(clock.Tick(0));
  clock.UserActivity(4000);
  clock.UserActivity(20000);  // the pause runs from the last activity
  EXPECT_EQ(clock.Tick(49999), std::nullopt);
  EXPECT_EQ(clock.Tick(50000), std::nullopt);
  EXPECT_EQ(clock.Tick(55999), std::nullopt);  // 4 s were spent, 6 s are left
  EXPECT_EQ(clock.Tick(56000), (TourShow{1, {}}));
  TourClock busy(CameraTour({10, 10}));  // started from the wall's own menu
  busy.Start(0);
  busy.UserActivity(0);
  EXPECT_EQ(busy.Tick(0), (TourShow{0, {}}));
}

TEST(TourClock, MovingCameraHoldsTheBigCellThenStaysADwell) {
  TourClock clock(CameraTour({10, 10}, true));
  clock.Start(0);
  ASSERT_TRUE(clock.Tick(0));
  clock.MotionStarted(Direct("Yard"), 3000);
  EXPECT_EQ(clock.Tick(3000), (TourShow{0, Direct("Yard")}));
  EXPECT_EQ(clock.Tick(100000), std::nullopt);  // the sequence waits
  clock.MotionEnded(Direct("Yard"), 100000);
  clock.MotionStarted(Direct("Yard"), 105000);  // moving again: its dwell starts over when it ends
  clock.MotionEnded(Direct("Yard"), 200000);
  EXPECT_EQ(clock.Tick(209999), std::nullopt);
  EXPECT_EQ(clock.Tick(210000), (TourShow{0, {}}));
  EXPECT_EQ(clock.Tick(216999), std::nullopt);  // step 0 had 7 s left
  EXPECT_EQ(clock.Tick(217000), (TourShow{1, {}}));
}

TEST(TourClock, FirstMovingCameraStaysThenTheNextStillMovingTakesOver) {
  TourClock clock(CameraTour({10}, true));
  clock.MotionStarted(Direct("A"), 0);  // already moving when the tour starts
  clock.Start(0);
  clock.MotionStarted(Direct("B"), 0);
  clock.MotionStarted(Direct("C"), 0);
  clock.MotionStarted(Direct("A"), 0);
  EXPECT_EQ(clock.Tick(0), (TourShow{0, Direct("A")}));
  clock.MotionEnded(Direct("B"), 1000);
  clock.MotionEnded(Direct("A"), 2000);
  EXPECT_EQ(clock.Tick(2000), (TourShow{0, Direct("C")}));
  clock.MotionEnded(Direct("C"), 3000);
  EXPECT_EQ(clock.Tick(3000), std::nullopt);  // C stays its dwell
  clock.MotionStarted(Direct("D"), 5000);     // a new event while C lingers
  EXPECT_EQ(clock.Tick(5000), (TourShow{0, Direct("D")}));
}

TEST(TourClock, MotionWaitsOutAPauseAndIsIgnoredUnlessAsked) {
  TourClock clock(CameraTour({10, 10}, true));
  clock.Start(0);
  ASSERT_TRUE(clock.Tick(0));
  clock.UserActivity(1000);
  clock.MotionStarted(Direct("A"), 2000);
  EXPECT_EQ(clock.Tick(30999), std::nullopt);
  EXPECT_EQ(clock.Tick(31000), (TourShow{0, Direct("A")}));
  TourClock off(CameraTour({10, 10}));
  off.Start(0);
  ASSERT_TRUE(off.Tick(0));
  off.MotionStarted(Direct("A"), 1000);
  EXPECT_EQ(off.Tick(10000), (TourShow{1, {}}));
}

TEST(TourClock, AClockSetBackOrJumpingAheadNeitherStallsNorBursts) {
  TourClock clock(CameraTour({10, 10, 10}));
  clock.Start(1000000);
  ASSERT_TRUE(clock.Tick(1000000));
  EXPECT_EQ(clock.Tick(5000), std::nullopt);  // set back: no time passed
  EXPECT_EQ(clock.Tick(15000), (TourShow{1, {}}));
  clock.UserActivity(15000);
  EXPECT_EQ(clock.Tick(0), std::nullopt);
  EXPECT_EQ(clock.Tick(30000), std::nullopt);
  EXPECT_FALSE(clock.paused());
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(clock.Tick(kMax), (TourShow{2, {}}));  // one step, not years of them
  EXPECT_EQ(clock.Tick(kMax), std::nullopt);
  EXPECT_EQ(clock.Tick(std::numeric_limits<int64_t>::min()), std::nullopt);
  EXPECT_EQ(clock.Tick(10000), (TourShow{0, {}}));

  TourClock fast(CameraTour({0, 0}));  // built by hand: a dwell of nothing still lasts a second
  fast.Start(0);
  ASSERT_TRUE(fast.Tick(0));
  EXPECT_EQ(fast.Tick(999), std::nullopt);
  EXPECT_EQ(fast.Tick(1000), (TourShow{1, {}}));
}

}  // namespace
}  // namespace app::wall
