// The keyboard's, the wheel's and the mouse's arithmetic: held keys give one
// step each when released, sized by the time held; the wheel adds notches
// until its timer fires; a drag in the picture steps or, for cameras that
// zoom to one, draws a rectangle.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/view/keyboard_control.h"
#include "app/view/picture_gestures.h"
#include "app/view/wheel_zoom.h"

namespace app::view {
namespace {

struct Recorder : CameraSteering {
  void PtzStep(int pan, int tilt) override { sent.push_back("ptz " + std::to_string(pan) + " " + std::to_string(tilt)); }
  void Lens(uint32_t op, uint32_t speed) override {
    sent.push_back("lens " + std::to_string(op) + " " + std::to_string(speed));
  }
  std::vector<std::string> sent;
};

// Timers that fire only when the test says so.
struct ManualTimers : KeyTimers {
  uintptr_t Start(int key, int) override {
    pending[++next] = key;
    return next;
  }
  void Cancel(uintptr_t id) override { pending.erase(id); }
  void FireAll(KeyboardControl& keys) {
    auto copy = pending;
    pending.clear();
    for (auto [id, key] : copy) keys.TimerFired(key, id);
  }
  std::map<uintptr_t, int> pending;
  uintptr_t next = 0;
};

struct Keys : ::testing::Test {
  // A press held from `start` for `held_ms`, with the keyboard's auto-repeat every 33 ms.
  void Hold(int key, uint32_t start, uint32_t held_ms) {
    for (uint32_t t = 0; t < held_ms; t += 33) keys.KeyDown(key, start + t, true);
    keys.KeyDown(key, start + held_ms, true);
  }
  Recorder steering;
  ManualTimers timers;
  KeyboardControl keys{timers, steering};
};

TEST_F(Keys, ATapIsOneStepAndAHoldOfOnePointFourSecondsIsFifteen) {
  keys.KeyDown(kKeyLeft, 1000, true);
  timers.FireAll(keys);
  Hold(kKeyRight, 5000, 1400);
  EXPECT_EQ(1u, timers.pending.size()) << "every repeat replaces the pending timer";
  timers.FireAll(keys);
  Hold(kKeyLeft, 9000, 1000);
  timers.FireAll(keys);
  EXPECT_EQ((std::vector<std::string>{"ptz -1 0", "ptz 15 0", "ptz -11 0"}), steering.sent);
}

TEST_F(Keys, EachHeldKeyMovesItsOwnAxisOrTheLens) {
  const struct {
    int key;
    const char* sent;
  } cases[] = {{kKeyLeft, "ptz -3 0"},    {kKeyRight, "ptz 3 0"},   {kKeyUp, "ptz 0 -3"},
               {kKeyDown, "ptz 0 3"},     {kKeyPageUp, "lens 0 3"}, {kKeyPageDown, "lens 1 3"}};
  for (const auto& c : cases) {
    steering.sent.clear();
    Hold(c.key, 100, 250);
    timers.FireAll(keys);
    EXPECT_EQ(std::vector<std::string>{c.sent}, steering.sent) << c.key;
  }
}

TEST_F(Keys, StepsWorkAcrossTheMessageClockWrapping) {
  keys.KeyDown(kKeyDown, 0xFFFFFF00u, true);
  keys.KeyDown(kKeyDown, 0x00000100u, true);  // 512 ms later, after the wrap
  timers.FireAll(keys);
  EXPECT_EQ(std::vector<std::string>{"ptz 0 6"}, steering.sent);
}

TEST_F(Keys, AStaleTimerSendsNothing) {
  keys.KeyDown(kKeyUp, 100, true);
  const uintptr_t first = timers.pending.begin()->first;
  keys.KeyDown(kKeyUp, 150, true);
  keys.TimerFired(kHeldUp, first);  // its callback was already on its way
  EXPECT_TRUE(steering.sent.empty());
  timers.FireAll(keys);
  timers.FireAll(keys);
  EXPECT_EQ(std::vector<std::string>{"ptz 0 -1"}, steering.sent) << "one message per release";
}

TEST_F(Keys, HomeEndAndTheKeypadDiagonalsSendAtOnce) {
  for (int key : {kKeyHome, kKeyEnd, kKeyNumpad7, kKeyNumpad9, kKeyNumpad1, kKeyNumpad3})
    EXPECT_EQ(KeyboardControl::Result::kConsumed, keys.KeyDown(key, 10, true));
  EXPECT_EQ((std::vector<std::string>{"lens 2 1", "lens 3 1", "ptz 19 -19", "ptz 20 -20", "ptz 21 -21", "ptz 22 -22"}),
            steering.sent);
  EXPECT_TRUE(timers.pending.empty());
}

TEST_F(Keys, WithoutACameraTheKeysPassOnAndSendNothing) {
  for (int key : {kKeyLeft, kKeyPageUp, kKeyHome, kKeyNumpad7})
    EXPECT_EQ(KeyboardControl::Result::kPassOn, keys.KeyDown(key, 10, false)) << key;
  EXPECT_TRUE(timers.pending.empty());
  EXPECT_TRUE(steering.sent.empty());
  // Escape and Enter are the view's whatever the camera.
  EXPECT_EQ(KeyboardControl::Result::kLeaveFullScreen, keys.KeyDown(kKeyEscape, 10, false));
  EXPECT_EQ(KeyboardControl::Result::kConsumed, keys.KeyDown(kKeyReturn, 10, false));
  EXPECT_EQ(KeyboardControl::Result::kPassOn, keys.KeyDown('A', 10, true));
}

TEST(Wheel, NotchesAddUpUntilTheTimerAndTheSignPicksTheOperation) {
  struct Case {
    std::vector<int> deltas;
    bool sends;
    uint32_t operation, speed;
  } cases[] = {
      {{120}, true, 0, 1},
      {{120, 120, 120}, true, 0, 3},
      {{-120, -120}, true, 1, 2},
      {{120, -240}, true, 1, 1},
      {{60, 60, 60}, true, 0, 1},  // half notches of a fine wheel make whole ones
      {{120, -120}, true, 1, 0},   // back where it started: operation 1, speed 0
  };
  for (const Case& c : cases) {
    WheelZoom wheel;
    int timer_starts = 0;
    for (int d : c.deltas) timer_starts += wheel.Wheel(d, true);
    EXPECT_EQ(1, timer_starts) << "one timer per burst";
    WheelZoom::Request request;
    ASSERT_EQ(c.sends, wheel.TimerFired(true, &request));
    EXPECT_EQ(c.operation, request.operation);
    EXPECT_EQ(c.speed, request.speed);
    EXPECT_FALSE(wheel.pending());
    EXPECT_EQ(0, wheel.total());
  }
}

TEST(Wheel, NothingWithoutACamera) {
  WheelZoom wheel;
  EXPECT_FALSE(wheel.Wheel(120, false));
  WheelZoom::Request request;
  EXPECT_FALSE(wheel.TimerFired(false, &request));
  EXPECT_TRUE(wheel.Wheel(120, true));
  EXPECT_FALSE(wheel.TimerFired(false, &request)) << "the camera went away before the timer fired";
}

// Every field of a gesture, to compare whole gestures.
std::string Fields(const PictureGesture& g) {
  const char* kinds[] = {"none", "step", "rectangle"};
  return std::string(kinds[int(g.kind)]) + " pan " + std::to_string(g.pan) + " tilt " + std::to_string(g.tilt) + " " +
         std::to_string(g.left) + "," + std::to_string(g.top) + "-" + std::to_string(g.right) + "," +
         std::to_string(g.bottom);
}

TEST(PictureGestures, ADragStepsByTenthsOfThePictureOrDrawsARectangleToZoomTo) {
  // Rectangles are in the coordinates of a 320-pixel-wide picture, corners in drag order.
  const struct {
    const char* what;
    int x0, y0, x1, y1, width, height;
    bool zooms;
    const char* gesture;
  } cases[] = {
      {"the whole width pans by 10", 0, 0, 320, 0, 320, 240, false, "step pan 10 tilt 0 0,0-0,0"},
      {"a step down", 100, 100, 105, 130, 320, 240, false, "step pan 0 tilt 1 0,0-0,0"},
      {"without rectangles a click steps by nothing", 100, 100, 103, 102, 320, 240, false, "step pan 0 tilt 0 0,0-0,0"},
      {"wide and tall enough", 100, 100, 130, 130, 320, 240, true, "rectangle pan 0 tilt 0 100,100-130,130"},
      {"halved from a 640-pixel picture", 200, 100, 260, 40, 640, 480, true, "rectangle pan 0 tilt 0 100,50-130,20"},
      {"a 5x3 click sends nothing", 100, 100, 105, 103, 320, 240, true, "none pan 0 tilt 0 0,0-0,0"},
      {"too narrow for a rectangle: steps", 100, 100, 105, 130, 320, 240, true, "step pan 0 tilt 1 0,0-0,0"},
      {"too flat: steps", 100, 100, 150, 91, 320, 240, true, "step pan 1 tilt 0 0,0-0,0"},
      {"no picture area yet", 0, 0, 50, 50, 0, 240, false, "none pan 0 tilt 0 0,0-0,0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.gesture, Fields(DragGesture(c.x0, c.y0, c.x1, c.y1, c.width, c.height, c.zooms))) << c.what;
  EXPECT_TRUE(DragDrawsRectangle(10, -10, true));
  EXPECT_FALSE(DragDrawsRectangle(9, 50, true));
  EXPECT_FALSE(DragDrawsRectangle(50, 50, false));
}

TEST(PictureGestures, ADoubleClickIsARectangleOfOnePoint) {
  EXPECT_EQ("rectangle pan 0 tilt 0 200,150-200,150", Fields(DoubleClickGesture(400, 300, 640)));
  EXPECT_EQ("rectangle pan 0 tilt 0 100,70-100,70", Fields(DoubleClickGesture(100, 70, 320)))
      << "a 320-pixel picture keeps its coordinates";
}

}  // namespace
}  // namespace app::view
