// The renderers' decisions over a fake driver: which FOURCC, which RGB mode,
// when DirectDraw is given up for the DIB path, lost-surface counting, the
// frame painted on selected and alarmed views, overlay and full screen.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "present/node_video_output.h"
#include "present/picture_border.h"
#include "present/tests/fake_display.h"
#include "present/window_renderer.h"

namespace present {
namespace {

using present::testing::FakeDisplaySystem;

constexpr os::WindowHandle kNodeWindow = 0x1000, kFullScreenHandle = 0x2000;
constexpr int kW = 32, kH = 16;

struct TestPicture {
  std::vector<uint8_t> bytes;
  codec::DecodedPicture picture;
  TestPicture(int w = kW, int h = kH, uint8_t luma = 100) : bytes(size_t(w) * h * 3 / 2, 128) {
    std::fill(bytes.begin(), bytes.begin() + w * h, luma);
    picture.data = bytes.data();
    picture.width = w;
    picture.height = h;
  }
};

PixelFormat Rgb(uint32_t bits, uint32_t r, uint32_t g, uint32_t b) { return PixelFormat{true, bits, r, g, b}; }
const PixelFormat kDesktop32 = Rgb(32, 0xFF0000, 0xFF00, 0xFF);

// Options: 1 requires hardware stretching, 2 allows YUV, 4 allows RGB.
TEST(WindowRendererChoice, TheModeFollowsWhatTheDriverOffersAndTheOptionsAllow) {
  using State = present::testing::FakeDisplayState;
  const auto yuv = [](std::vector<uint32_t> listed, std::set<uint32_t> creatable, bool blt = true) {
    return [=](State& s) {
      s.fourccs = listed;
      s.creatableFourccs = creatable;
      s.caps.bltFourcc = blt;
    };
  };
  const auto rgb = [](PixelFormat primary, bool surface_ok = true) {
    return [=](State& s) {
      s.primary = primary;
      s.rgbSurfaceOk = surface_ok;
    };
  };
  const auto none = [](State&) {};
  const struct {
    const char* name;
    std::function<void(State&)> set;
    uint32_t options;
    uint32_t mode;
  } cases[] = {
      {"YV12 beats YUY2", yuv({kFourccYUY2, kFourccYV12}, {kFourccYUY2, kFourccYV12}), 7, kFourccYV12},
      {"YUY2 alone", yuv({kFourccYUY2}, {kFourccYUY2}), 7, kFourccYUY2},
      {"YV12 listed but not creatable", yuv({kFourccYV12, kFourccYUY2}, {kFourccYUY2}), 7, kFourccYUY2},
      {"UYVY beats YVU9", yuv({kFourccYVU9, kFourccUYVY}, {kFourccYVU9, kFourccUYVY}), 7, kFourccUYVY},
      {"YVU9 last", yuv({kFourccYVU9}, {kFourccYVU9}), 7, kFourccYVU9},
      {"unlisted codes are not tried", yuv({kFourccI420}, {kFourccI420, kFourccYV12}), 7, kModeRgb32},
      {"no FOURCC blits", yuv({kFourccYV12}, {kFourccYV12}, false), 7, kModeRgb32},
      {"YUV not allowed", yuv({kFourccYV12}, {kFourccYV12}), 5, kModeRgb32},
      {"nothing creatable, RGB not allowed", yuv({kFourccYV12}, {}), 3, kModeDib},
      {"16-bit 5:6:5", rgb(Rgb(16, 0xF800, 0x07E0, 0x001F)), 7, kModeRgb565},
      {"16-bit 5:5:5", rgb(Rgb(16, 0x7C00, 0x03E0, 0x001F)), 7, kModeRgb555},
      {"32-bit 8:8:8", rgb(kDesktop32), 7, kModeRgb32},
      {"24-bit desktop without YUV", rgb(Rgb(24, 0xFF0000, 0xFF00, 0xFF)), 7, kModeDib},
      {"32-bit BGR order", rgb(Rgb(32, 0xFF, 0xFF00, 0xFF0000)), 7, kModeDib},
      {"palettised", rgb(PixelFormat{false, 8, 0, 0, 0}), 7, kModeDib},
      {"RGB surface cannot be made", rgb(kDesktop32, false), 7, kModeDib},
      {"no DirectDraw", [](State& s) { s.directDraw = false; }, 7, kModeDib},
      {"no primary surface", [](State& s) { s.primaryOk = false; }, 7, kModeDib},
      {"no hardware stretching", [](State& s) { s.caps.bltStretch = false; }, 7, kModeDib},
      {"stretching not required", [](State& s) { s.caps.bltStretch = false; }, 6, kModeRgb32},
      {"neither YUV nor RGB allowed", none, 1, kModeDib},
  };
  for (const auto& c : cases) {
    FakeDisplaySystem system;
    c.set(system.state);
    WindowRenderer renderer(system);
    EXPECT_EQ(0, renderer.Initialise(kNodeWindow, kW, kH, c.options)) << c.name;
    EXPECT_EQ(ModeName(c.mode), ModeName(renderer.Mode())) << c.name;
    EXPECT_TRUE(renderer.Initialised()) << c.name;
    EXPECT_EQ(c.mode == kModeDib, renderer.IsDib()) << c.name;
    const std::vector<uint32_t>& listed = system.state.fourccs;
    for (uint32_t tried : system.state.triedFourccs)
      EXPECT_TRUE(std::find(listed.begin(), listed.end(), tried) != listed.end())
          << c.name << ": tried " << ModeName(tried) << " which the driver does not list";
  }
  EXPECT_EQ(uint32_t(kModeRgb24), RgbModeFor(Rgb(24, 0xFF0000, 0xFF00, 0xFF))) << "24-bit is recognised";
}

TEST(WindowRendererDraw, ConvertsAtTheSurfacePitchAndBlitsToTheWindow) {
  FakeDisplaySystem system;
  system.state.windowRects[kNodeWindow] = Rect{10, 20, 650, 500};
  WindowRenderer renderer(system);
  renderer.Initialise(kNodeWindow, kW, kH, WindowRenderer::kAllOptions);
  ASSERT_EQ(uint32_t(kModeRgb32), renderer.Mode());
  EXPECT_TRUE(system.state.clipped) << "the primary is clipped to the window";
  TestPicture grey(kW, kH, 100);
  renderer.Draw(grey.picture, nullptr, false, 0);
  EXPECT_EQ(1, system.state.blts);
  EXPECT_EQ(650, system.state.lastBlt.right) << "without a rectangle the window's own is used";
  EXPECT_EQ(20, system.state.lastBlt.top);
  const uint8_t* secondRow = &system.state.surface[size_t(system.state.surfacePitch)];
  EXPECT_EQ(100, secondRow[0]) << "rows are written at the surface's pitch";
  EXPECT_EQ(0, system.state.surface[size_t(kW) * 4]) << "the pitch's padding is left alone";

  const Rect elsewhere{0, 0, 100, 50};
  renderer.Draw(grey.picture, &elsewhere, false, 0);
  EXPECT_EQ(100, system.state.lastBlt.right);

  TestPicture wrongSize(kW * 2, kH);
  renderer.Draw(wrongSize.picture, nullptr, false, 0);
  EXPECT_EQ(2, system.state.blts) << "a picture of another size is not drawn";
}

TEST(WindowRendererDraw, TenConsecutiveLostSurfacesStopTheRestoresAndLostObjectsGoToDib) {
  FakeDisplaySystem system;
  WindowRenderer renderer(system);
  renderer.Initialise(kNodeWindow, kW, kH, WindowRenderer::kAllOptions);
  TestPicture p;
  auto drawLost = [&](int times) {
    for (int i = 0; i < times; ++i) {
      system.state.lockScript.push_back(LockResult::kSurfaceLost);
      renderer.Draw(p.picture, nullptr, false, 0);
    }
  };
  drawLost(5);
  EXPECT_EQ(5, system.state.restores);
  renderer.Draw(p.picture, nullptr, false, 0);  // a good lock clears the count
  EXPECT_EQ(0, renderer.LostSurfaces());
  EXPECT_EQ(1, system.state.blts) << "frames whose lock failed are not blitted";
  drawLost(9);
  EXPECT_EQ(14, system.state.restores) << "nine losses in a row are each restored";
  drawLost(1);
  EXPECT_EQ(14, system.state.restores) << "the tenth loss in a row is not restored";
  drawLost(3);
  EXPECT_EQ(14, system.state.restores) << "nor any after it";
  renderer.Initialise(kNodeWindow, kW, kH, WindowRenderer::kAllOptions);
  drawLost(1);
  EXPECT_EQ(15, system.state.restores) << "a new initialisation starts counting again";

  system.state.lockScript.push_back(LockResult::kFailed);
  const int blts = system.state.blts, restores = system.state.restores;
  renderer.Draw(p.picture, nullptr, false, 0);
  EXPECT_EQ(blts, system.state.blts) << "a lock that fails otherwise drops the frame";
  EXPECT_EQ(restores, system.state.restores);

  // Lost DirectDraw objects fall back to the DIB path inside Draw.
  system.state.intact = false;
  renderer.Draw(p.picture, nullptr, false, 0);
  EXPECT_TRUE(renderer.IsDib());
  EXPECT_EQ(1, system.state.dibDraws) << "the frame is drawn through the new DIB path at once";
  renderer.Draw(p.picture, nullptr, false, 0);
  EXPECT_EQ(2, system.state.dibDraws) << "and so are the next";
}

// A picture whose top row is white drawn into a 320x240 window; the DIB
// fallback's pixels go out 24 bits each, bottom row first.
TEST(WindowRendererDraw, DibPathDrawsBottomUpAtTheWindowSize) {
  FakeDisplaySystem system;
  system.state.directDraw = false;
  system.state.windowRects[kNodeWindow] = Rect{100, 100, 420, 340};
  WindowRenderer renderer(system);
  renderer.Initialise(kNodeWindow, kW, kH, WindowRenderer::kAllOptions);
  TestPicture p(kW, kH, 0);
  std::fill(p.bytes.begin(), p.bytes.begin() + kW, 255);
  renderer.Draw(p.picture, nullptr, false, 0);
  ASSERT_EQ(1, system.state.dibDraws);
  EXPECT_EQ(320, system.state.lastDibWidth);
  EXPECT_EQ(240, system.state.lastDibHeight);
  const size_t stride = size_t(kW) * 3;
  EXPECT_EQ(255, system.state.lastDib[stride * (kH - 1)]) << "the picture's top row is the buffer's last";
  EXPECT_EQ(0, system.state.lastDib[0]);

  // Turned off by the user, DirectDraw is not even opened, though it would
  // serve; the pixels go out 32 bits each, top row first, framed like any.
  system.state = {};
  system.state.windowRects[kNodeWindow] = Rect{100, 100, 420, 340};
  renderer.Initialise(kNodeWindow, kW, kH, WindowRenderer::kDrawThroughGdi);
  EXPECT_EQ(0, system.state.opened) << "no DirectDraw object";
  EXPECT_EQ("GDI", ModeName(renderer.Mode()));
  EXPECT_FALSE(renderer.IsDib()) << "not the DIB fallback";
  renderer.Draw(p.picture, nullptr, false, 0);
  ASSERT_EQ(1, system.state.dibDraws);
  EXPECT_EQ(DibPixels::kTopDown32, system.state.lastDibPixels);
  EXPECT_EQ(320, system.state.lastDibWidth);
  EXPECT_EQ(240, system.state.lastDibHeight);
  const size_t row = size_t(kW) * 4;
  ASSERT_EQ(row * kH, system.state.lastDib.size());
  EXPECT_EQ(255, system.state.lastDib[0]) << "the picture's top row comes first";
  EXPECT_EQ(255, system.state.lastDib[row - 2]) << "the row's last pixel, red byte";
  EXPECT_EQ(0, system.state.lastDib[row * 2]) << "the third row is black";

  renderer.Draw(p.picture, nullptr, true, kBorderRed);
  EXPECT_LT(system.state.lastDib[row * 2], 40) << "red framed: blue byte";
  EXPECT_GT(system.state.lastDib[row * 2 + 2], 200) << "red framed: red byte";
  EXPECT_EQ(0, p.bytes[kW * 2]) << "the frame went into a copy";

  system.state.intact = false;
  renderer.Draw(p.picture, nullptr, false, 0);
  EXPECT_EQ("GDI", ModeName(renderer.Mode())) << "a DirectDraw loss does not concern it";
}

TEST(WindowRendererDraw, DrawsAndReinitialisationsFromTwoThreadsNeverOverlap) {
  FakeDisplaySystem system;
  WindowRenderer renderer(system);
  renderer.Initialise(kNodeWindow, kW, kH, WindowRenderer::kAllOptions);
  std::atomic<bool> stop{false};
  std::thread media([&] {
    TestPicture p;
    while (!stop) renderer.Draw(p.picture, nullptr, true, kBorderYellow);
  });
  for (int i = 0; i < 300; ++i) {
    // Alternate between the DirectDraw and the DIB path and between sizes.
    const int scale = 1 + i % 2;
    renderer.Initialise(kNodeWindow, kW * scale, kH * scale, i % 3 ? uint32_t(WindowRenderer::kAllOptions) : 0u);
  }
  stop = true;
  media.join();
  EXPECT_TRUE(renderer.Initialised());
}

TEST(Border, ColoursConvertWithTheIntegerFormulas) {
  struct Case {
    ColorRef colour;
    YCbCr want;
  };
  const Case cases[] = {{kBorderRed, {81, 90, 239}},
                        {kBorderYellow, {210, 16, 146}},
                        {0x000000, {16, 128, 128}},
                        {0xFFFFFF, {235, 128, 128}}};
  for (const Case& c : cases) {
    const YCbCr got = BorderColour(c.colour);
    EXPECT_EQ(c.want.y, got.y) << std::hex << c.colour;
    EXPECT_EQ(c.want.cb, got.cb) << std::hex << c.colour;
    EXPECT_EQ(c.want.cr, got.cr) << std::hex << c.colour;
  }
}

TEST(Border, TwoLumaSamplesAndOneChromaSampleWide) {
  TestPicture p(kW, kH, 100);
  PaintBorder(p.picture, kBorderRed);
  auto luma = [&](int x, int y) { return p.picture.Y()[y * kW + x]; };
  auto cr = [&](int x, int y) { return p.picture.V()[y * (kW / 2) + x]; };
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const bool frame = x < 2 || x >= kW - 2 || y < 2 || y >= kH - 2;
      ASSERT_EQ(frame ? 81 : 100, luma(x, y)) << x << "," << y;
    }
  for (int y = 0; y < kH / 2; ++y)
    for (int x = 0; x < kW / 2; ++x) {
      const bool frame = x == 0 || x == kW / 2 - 1 || y == 0 || y == kH / 2 - 1;
      ASSERT_EQ(frame ? 239 : 128, cr(x, y)) << x << "," << y;
    }
}

class NullFullScreen : public FullScreenWindow {
 public:
  os::WindowHandle Show() override {
    ++shown;
    visible = true;
    drawing_went_on = drawing_went_on && WorkerCanDraw();
    return kFullScreenHandle;
  }
  void Hide() override {
    visible = false;
    drawing_went_on = drawing_went_on && WorkerCanDraw();
  }
  // A window system may keep Show or Hide waiting for a long time; the worker
  // must be able to draw meanwhile.
  bool WorkerCanDraw() {
    if (!output) return true;
    auto drawn = std::async(std::launch::async, [this] {
      TestPicture p;
      output->ShowPicture(p.picture);
    });
    if (drawn.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return true;
    stuck.push_back(std::move(drawn));  // finishes once the caller lets go of the lock
    return false;
  }
  NodeVideoOutput* output = nullptr;
  std::vector<std::future<void>> stuck;
  int shown = 0;
  bool visible = false;
  bool drawing_went_on = true;
};

// The luma of the top-left sample drawn (a YV12 surface holds luma as it is):
// the frame's colour or the picture's. The node's own picture never changes,
// since its window repaints from it while the worker draws.
int CornerLumaAfterShow(NodeVideoOutput& output, FakeDisplaySystem& system) {
  TestPicture p(kW, kH, 100);
  const int blts = system.state.blts;
  output.ShowPicture(p.picture);
  EXPECT_EQ(100, p.picture.Y()[0]) << "the frame was painted into the node's picture";
  if (system.state.blts == blts) return -1;  // nothing drawn
  return system.state.surface[0];
}

// One node's video output over a fake driver; each test sets the driver up
// before the output's first picture size opens a renderer.
class NodeVideoOutputTest : public ::testing::Test {
 protected:
  FakeDisplaySystem system_;
  NullFullScreen full_screen_;
  NodeVideoOutput output_{system_, full_screen_, kNodeWindow};
};

TEST_F(NodeVideoOutputTest, FrameOnEvenAlarmFramesInRedElseYellowWhenSelected) {
  system_.state.caps.bltFourcc = true;
  system_.state.fourccs = {kFourccYV12};
  system_.state.creatableFourccs = {kFourccYV12};
  output_.Resize(kW, kH);
  struct Case {
    int alarm;
    bool selected;
    int corner;
  };
  const Case cases[] = {{4, false, 81}, {3, false, 100}, {2, true, 81}, {1, true, 100},
                        {0, true, 210}, {0, false, 100}};
  for (const Case& c : cases) {
    output_.SetAlarmBlink(c.alarm);
    output_.SetSelected(c.selected);
    EXPECT_EQ(c.corner, CornerLumaAfterShow(output_, system_)) << "alarm " << c.alarm << " selected " << c.selected;
  }
  EXPECT_TRUE(output_.WantsPictures());
  output_.SetPaused(true);
  EXPECT_EQ(-1, CornerLumaAfterShow(output_, system_)) << "a paused view draws nothing";
  EXPECT_FALSE(output_.WantsPictures()) << "nor needs its pictures decoded";
  output_.SetPaused(false);
  system_.state.visibleWindows = 0x9999;
  std::this_thread::sleep_for(std::chrono::milliseconds(NodeVideoOutput::kVisibleCheckMs + 20));
  EXPECT_EQ(-1, CornerLumaAfterShow(output_, system_)) << "a hidden view draws nothing";
  EXPECT_FALSE(output_.WantsPictures());
  system_.state.visibleWindows = 0;
  EXPECT_TRUE(output_.WantsPictures()) << "a hidden view is asked again at each picture";
  EXPECT_EQ(100, CornerLumaAfterShow(output_, system_)) << "and draws as soon as it shows";
}

TEST_F(NodeVideoOutputTest, FullScreenWithoutOverlayDrawsIntoTheFullScreenWindow) {
  system_.state.windowRects[kFullScreenHandle] = Rect{0, 0, 1024, 768};
  full_screen_.output = &output_;
  EXPECT_FALSE(output_.EnterFullScreen()) << "refused before the first picture size";
  output_.Resize(kW, kH);
  output_.SetSelected(true);
  ASSERT_TRUE(output_.EnterFullScreen());
  EXPECT_FALSE(output_.EnterFullScreen()) << "refused while already full screen";
  EXPECT_TRUE(full_screen_.visible);
  EXPECT_FALSE(output_.OverlayInUse());
  EXPECT_EQ(kFullScreenHandle, system_.state.lastWindow) << "the window renderer moved to the full-screen window";
  EXPECT_EQ(100, CornerLumaAfterShow(output_, system_)) << "no frame in full screen";
  EXPECT_EQ(1024, system_.state.lastBlt.right) << "stretched over the full-screen window";
  output_.Resize(kW * 2, kH * 2);
  EXPECT_EQ(kFullScreenHandle, system_.state.lastWindow) << "a new size keeps full screen";

  output_.LeaveFullScreen();
  EXPECT_FALSE(output_.FullScreen());
  EXPECT_FALSE(full_screen_.visible);
  EXPECT_EQ(kNodeWindow, system_.state.lastWindow) << "back on the node window";
  EXPECT_EQ(1, full_screen_.shown);
  EXPECT_TRUE(full_screen_.drawing_went_on) << "the worker waited while the window was shown or hidden";
}

TEST_F(NodeVideoOutputTest, OverlayTakesFullScreenWhenTheDisplayHasOne) {
  system_.state.caps.overlay = system_.state.caps.overlayFourcc = true;
  system_.state.creatableOverlays = {kFourccUYVY, kFourccYVU9};
  output_.Resize(kW, kH);
  ASSERT_TRUE(output_.EnterFullScreen());
  ASSERT_TRUE(output_.OverlayInUse());
  EXPECT_EQ(kFourccUYVY, output_.overlayRenderer().FourCC()) << "YUY2, then UYVY, then YVU9";
  EXPECT_EQ(kW, system_.state.overlayShownWidth);
  EXPECT_FALSE(output_.windowRenderer().Initialised()) << "the window renderer is closed meanwhile";
  TestPicture p;
  const int locks = system_.state.locks;
  output_.ShowPicture(p.picture);
  EXPECT_EQ(locks + 1, system_.state.locks);
  EXPECT_TRUE(system_.state.lastLockWriteOnly);
  EXPECT_EQ(p.picture.U()[0], system_.state.surface[0]) << "UYVY starts with Cb";
  output_.LeaveFullScreen();
  EXPECT_FALSE(output_.overlayRenderer().Ready());
  EXPECT_TRUE(output_.windowRenderer().Initialised());
}

// The option changes while a view is open: the renderer at work switches at
// once, in the window and in full screen (where the overlay is DirectDraw's
// too), and a closed one stays closed.
TEST_F(NodeVideoOutputTest, DrawingWithoutDirectDrawSwitchesTheRendererAtWork) {
  system_.state.caps.overlay = system_.state.caps.overlayFourcc = true;
  system_.state.creatableOverlays = {kFourccYUY2};
  output_.SetDrawThroughGdi(true);
  EXPECT_FALSE(output_.windowRenderer().Initialised()) << "nothing starts before the first picture size";
  output_.Resize(kW, kH);
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode());
  output_.SetDrawThroughGdi(false);
  EXPECT_EQ(kModeRgb32, output_.windowRenderer().Mode()) << "back on DirectDraw at once";

  output_.SetDrawThroughGdi(true);
  ASSERT_TRUE(output_.EnterFullScreen());
  EXPECT_FALSE(output_.OverlayInUse()) << "no overlay without DirectDraw";
  EXPECT_EQ(kFullScreenHandle, system_.state.lastWindow);
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode());
  output_.SetDrawThroughGdi(false);
  EXPECT_TRUE(output_.OverlayInUse()) << "the overlay takes full screen again";
  EXPECT_FALSE(output_.windowRenderer().Initialised());
  output_.SetDrawThroughGdi(true);
  EXPECT_FALSE(output_.OverlayInUse());
  EXPECT_FALSE(output_.overlayRenderer().Ready());
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode());
  output_.LeaveFullScreen();
  EXPECT_EQ(kNodeWindow, system_.state.lastWindow);
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode());

  output_.Close();
  output_.SetDrawThroughGdi(false);
  EXPECT_FALSE(output_.windowRenderer().Initialised()) << "an ended channel draws nothing";
}

// DirectDraw's primary surface is the primary monitor's: a window moved to
// another monitor draws through GDI there and takes DirectDraw back when it
// returns, the user's choice unchanged.
TEST_F(NodeVideoOutputTest, AWindowOffThePrimaryMonitorDrawsThroughGdiWhileThere) {
  output_.SetOffPrimaryMonitor(true);
  output_.Resize(kW, kH);
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode()) << "a window that starts on another monitor";
  output_.SetOffPrimaryMonitor(false);
  EXPECT_EQ(kModeRgb32, output_.windowRenderer().Mode());
  output_.SetOffPrimaryMonitor(true);
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode());
  output_.SetDrawThroughGdi(false);
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode()) << "the user's DirectDraw cannot draw there either";
}

// Without the user's choice a view whose DirectDraw blits are slow tries
// GDI, keeps it, and says so once; the user's choice ends the trial.
TEST_F(NodeVideoOutputTest, SlowDirectDrawBlitsMoveAViewToGdiOnItsOwn) {
  system_.state.bltMicroseconds = 8000;
  output_.StartDrawPathTrial();
  output_.Resize(kW, kH);
  TestPicture p(kW, kH, 100);
  auto show = [&](NodeVideoOutput& to) {
    for (size_t i = 0; i < present::DrawPathTrial::kPictures; ++i) to.ShowPicture(p.picture);
  };
  std::string told;
  show(output_);
  EXPECT_EQ(kModeRgb32, output_.windowRenderer().Mode()) << "nothing switches on the worker's thread";
  EXPECT_FALSE(output_.ApplyDrawPathTrial(&told));
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode()) << "the try";
  show(output_);
  ASSERT_TRUE(output_.ApplyDrawPathTrial(&told));
  EXPECT_EQ(kModeGdi, output_.windowRenderer().Mode());
  EXPECT_NE(told.find("Drawing video without DirectDraw: a picture took 8."), std::string::npos) << told;
  EXPECT_FALSE(output_.ApplyDrawPathTrial(&told)) << "told once";

  // Quick blits: no try, nothing told. Slow ones the user chose: the same.
  for (const bool chosen : {false, true}) {
    system_.state.bltMicroseconds = chosen ? 8000 : 0;
    NodeVideoOutput other(system_, full_screen_, kNodeWindow);
    other.StartDrawPathTrial();
    other.Resize(kW, kH);
    if (chosen) other.SetDrawThroughGdi(false);
    show(other);
    EXPECT_FALSE(other.ApplyDrawPathTrial(&told)) << chosen;
    EXPECT_EQ(kModeRgb32, other.windowRenderer().Mode()) << chosen;
  }
}

TEST(OverlayRenderer, FailsWithoutOverlayCapsOrSurfaces) {
  struct Case {
    const char* name;
    bool overlay, overlayFourcc;
    std::set<uint32_t> creatable;
    bool show;
  };
  const Case cases[] = {{"no overlay caps", false, true, {kFourccYUY2}, true},
                        {"no overlay FOURCC caps", true, false, {kFourccYUY2}, true},
                        {"no surface", true, true, {kFourccYV12}, true},
                        {"cannot be shown", true, true, {kFourccYUY2}, false}};
  for (const Case& c : cases) {
    FakeDisplaySystem system;
    system.state.caps.overlay = c.overlay;
    system.state.caps.overlayFourcc = c.overlayFourcc;
    system.state.creatableOverlays = c.creatable;
    system.state.showOverlayOk = c.show;
    OverlayRenderer overlay(system);
    EXPECT_FALSE(overlay.Initialise(kW, kH)) << c.name;
    EXPECT_FALSE(overlay.Ready()) << c.name;
    TestPicture p;
    overlay.Draw(p.picture);
    EXPECT_EQ(0, system.state.locks) << c.name << ": nothing drawn";
  }
}

}  // namespace
}  // namespace present
