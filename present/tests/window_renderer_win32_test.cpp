// The real renderers under Wine and Xvfb: a known picture drawn into a real
// window comes back from a screenshot of the screen in its colours, through
// DirectDraw's RGB surface, through the DIB path and through GDI without
// DirectDraw; full screen covers the screen and Escape leaves it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <vector>

#include "present/node_video_output.h"
#include "os/win32/handles.h"
#include "os/win32/tests/win32_test_rig.h"
#include "present/win32/full_screen_window_win32.h"
#include "present/win32/win32_display.h"
#include "present/window_renderer.h"

namespace present {
namespace {

constexpr int kPictureW = 320, kPictureH = 240;

struct Rgb {
  int r, g, b;
};

// Quadrants: red, green / blue, white, each with its full-range YCbCr.
const Rgb kQuadrant[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

uint8_t Clamp(double v) { return uint8_t(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); }

std::vector<uint8_t> QuadrantPicture() {
  std::vector<uint8_t> p(size_t(kPictureW) * kPictureH * 3 / 2);
  uint8_t* y = p.data();
  uint8_t* u = y + kPictureW * kPictureH;
  uint8_t* v = u + (kPictureW / 2) * (kPictureH / 2);
  auto quadrant = [](int x, int row) { return (row >= kPictureH / 2 ? 2 : 0) + (x >= kPictureW / 2 ? 1 : 0); };
  for (int row = 0; row < kPictureH; ++row)
    for (int x = 0; x < kPictureW; ++x) {
      const Rgb& c = kQuadrant[quadrant(x, row)];
      y[row * kPictureW + x] = Clamp(0.299 * c.r + 0.587 * c.g + 0.114 * c.b);
    }
  for (int row = 0; row < kPictureH / 2; ++row)
    for (int x = 0; x < kPictureW / 2; ++x) {
      const Rgb& c = kQuadrant[quadrant(2 * x, 2 * row)];
      u[row * (kPictureW / 2) + x] = Clamp(128 - 0.168736 * c.r - 0.331264 * c.g + 0.5 * c.b);
      v[row * (kPictureW / 2) + x] = Clamp(128 + 0.5 * c.r - 0.418688 * c.g - 0.081312 * c.b);
    }
  return p;
}

using win32::testing::PumpFor;

// Each quadrant's centre in the screen's pixels inside `r` has its colour.
void ExpectQuadrants(const RECT& r, const char* what) {
  const win32::testing::ScreenPicture shot = win32::testing::CaptureScreen(r);
  ASSERT_FALSE(shot.pixels.empty()) << what << ": no screenshot";
  for (int q = 0; q < 4; ++q) {
    const int cx = (q % 2 ? 3 : 1) * shot.width / 4, cy = (q / 2 ? 3 : 1) * shot.height / 4;
    const uint32_t p = shot.At(cx, cy);  // 0x00RRGGBB
    const Rgb got{int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
    const Rgb& want = kQuadrant[q];
    EXPECT_NEAR(want.r, got.r, 6) << what << ": quadrant " << q << " red";
    EXPECT_NEAR(want.g, got.g, 6) << what << ": quadrant " << q << " green";
    EXPECT_NEAR(want.b, got.b, 6) << what << ": quadrant " << q << " blue";
  }
}

// A plain window that paints nothing itself, so only the renderer's pixels show.
class TestWindow {
 public:
  // For a read-back: in the screen's bottom-right corner, away from the
  // origin where Wine's stand-in windows and the other tests' windows appear.
  static TestWindow InFreeCorner(int w, int h) {
    return TestWindow(GetSystemMetrics(SM_CXSCREEN) - w - 16, GetSystemMetrics(SM_CYSCREEN) - h - 16, w, h);
  }
  static constexpr const wchar_t* kClass = L"HalyardRendererTestWindow";
  TestWindow(int x, int y, int w, int h) {
    static bool registered = [] {
      WNDCLASSW wc = {};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kClass;
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    hwnd = CreateWindowExW(WS_EX_TOPMOST, kClass, L"renderer test", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PumpFor(300);
  }
  ~TestWindow() { DestroyWindow(hwnd); }
  os::WindowHandle Handle() const { return reinterpret_cast<os::WindowHandle>(hwnd); }
  RECT Rect() const {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
  }

  HWND hwnd = nullptr;
  NodeVideoOutput* output = nullptr;  // leaves full screen on Escape

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_KEYDOWN:
        if (wparam == VK_ESCAPE && self && self->output) self->output->LeaveFullScreen();
        return 0;
      default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
  }
};

codec::DecodedPicture AsPicture(std::vector<uint8_t>& bytes) {
  codec::DecodedPicture p;
  p.data = bytes.data();
  p.width = kPictureW;
  p.height = kPictureH;
  return p;
}

// Through DirectDraw's RGB surface (a 24-bit X display gives a 32-bit one)
// and the DIB path, stretched; without DirectDraw at the picture's own size
// (copied as it is), larger and smaller (GDI scales): the right way up and in
// its colours every time.
TEST(WindowRendererOnScreen, EveryPathShowsThePictureInTheWindow) {
  ASSERT_NE(0, GetSystemMetrics(SM_CXSCREEN)) << "no display: run under scripts/test-env.sh";
  const struct {
    const char* name;
    uint32_t options;
    const char* mode;
    int width, height;
  } cases[] = {
      {"RGB surface", WindowRenderer::kAllOptions, "RGB32", kPictureW * 3 / 2, kPictureH * 3 / 2},
      {"DIB", WindowRenderer::kRequireStretch, "DIB", kPictureW * 2, kPictureH * 2},
      {"GDI at 1x", WindowRenderer::kDrawThroughGdi, "GDI", kPictureW, kPictureH},
      {"GDI at 2x", WindowRenderer::kDrawThroughGdi, "GDI", kPictureW * 2, kPictureH * 2},
      {"GDI at half size", WindowRenderer::kDrawThroughGdi, "GDI", kPictureW / 2, kPictureH / 2},
  };
  for (const auto& c : cases) {
    TestWindow window = TestWindow::InFreeCorner(c.width, c.height);
    ASSERT_TRUE(window.hwnd) << c.name;
    Win32DisplaySystem system;
    WindowRenderer renderer(system);
    renderer.Initialise(window.Handle(), kPictureW, kPictureH, c.options);
    ASSERT_EQ(c.mode, ModeName(renderer.Mode())) << c.name;
    std::vector<uint8_t> bytes = QuadrantPicture();
    renderer.Draw(AsPicture(bytes), nullptr, false, 0);
    PumpFor(200);
    ExpectQuadrants(window.Rect(), c.name);
  }
}

// The views share one DirectDraw object and primary surface: each blit
// keeps to its own window's clipper, and the object outlives the view that
// opened it.
TEST(WindowRendererOnScreen, DirectDrawViewsKeepToTheirOwnWindows) {
  const int w = kPictureW * 3 / 2, h = kPictureH * 3 / 2;
  TestWindow under = TestWindow::InFreeCorner(w, h);
  Win32DisplaySystem system;
  WindowRenderer underRenderer(system);
  underRenderer.Initialise(under.Handle(), kPictureW, kPictureH, WindowRenderer::kAllOptions);
  ASSERT_EQ("RGB32", ModeName(underRenderer.Mode()));
  std::vector<uint8_t> bytes = QuadrantPicture();
  {
    const RECT u = under.Rect();
    TestWindow over(u.left - w / 2, u.top, w, h);  // later, so above the left half
    WindowRenderer overRenderer(system);
    overRenderer.Initialise(over.Handle(), kPictureW, kPictureH, WindowRenderer::kAllOptions);
    ASSERT_EQ("RGB32", ModeName(overRenderer.Mode()));
    overRenderer.Draw(AsPicture(bytes), nullptr, false, 0);
    underRenderer.Draw(AsPicture(bytes), nullptr, false, 0);
    PumpFor(200);
    ExpectQuadrants(over.Rect(), "the window above, after the one below drew");
    const win32::testing::ScreenPicture shot = win32::testing::CaptureScreen(u);
    ASSERT_FALSE(shot.pixels.empty());
    EXPECT_EQ(shot.At(w * 3 / 4, h / 4) & 0xF0F0F0u, 0x00F000u) << "the right half below is not green";
    EXPECT_EQ(shot.At(w * 3 / 4, h * 3 / 4) & 0xF0F0F0u, 0xF0F0F0u) << "the right half below is not white";
  }
  PumpFor(200);
  underRenderer.Draw(AsPicture(bytes), nullptr, false, 0);
  PumpFor(200);
  ExpectQuadrants(under.Rect(), "the window below, once the other view closed");
}

// What a view asks before it converts and draws a picture: nothing of a
// window covered whole by another, or minimised, shows.
TEST(WindowRendererOnScreen, AWindowCoveredWholeOrMinimisedDoesNotShow) {
  present::Win32DisplaySystem display;
  TestWindow under(200, 200, 160, 120);
  EXPECT_TRUE(display.WindowVisible(under.Handle()));
  TestWindow over(190, 190, 200, 150);  // later, so above it
  EXPECT_FALSE(display.WindowVisible(under.Handle())) << "covered whole";
  SetWindowPos(over.hwnd, nullptr, 300, 190, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(200);
  EXPECT_TRUE(display.WindowVisible(under.Handle())) << "a part shows";
  ShowWindow(under.hwnd, SW_MINIMIZE);
  PumpFor(200);
  EXPECT_FALSE(display.WindowVisible(under.Handle())) << "minimised";
}

TEST(FullScreenOnScreen, CoversTheScreenAndEscapeLeavesIt) {
  TestWindow window(100, 100, kPictureW, kPictureH);
  ASSERT_TRUE(window.hwnd);
  Win32DisplaySystem system;
  CFullScreenWindow fullScreen(window.hwnd);
  NodeVideoOutput output(system, fullScreen, window.Handle());
  window.output = &output;
  output.Resize(kPictureW, kPictureH);
  ASSERT_TRUE(output.EnterFullScreen());
  PumpFor(300);
  HWND popup = fullScreen.hwnd();
  ASSERT_TRUE(popup);
  wchar_t title[64] = {};
  GetWindowTextW(popup, title, 64);
  EXPECT_STREQ(L"full screen window", title);
  EXPECT_TRUE(GetWindowLongW(popup, GWL_STYLE) & WS_POPUP);
  RECT r;
  GetWindowRect(popup, &r);
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(0, r.top);
  EXPECT_EQ(screenW, r.right);
  EXPECT_EQ(screenH, r.bottom);
  std::printf("full screen: %s\n", output.OverlayInUse() ? "overlay" : ModeName(output.windowRenderer().Mode()).c_str());

  std::vector<uint8_t> bytes = QuadrantPicture();
  output.ShowPicture(AsPicture(bytes));
  PumpFor(200);
  if (!output.OverlayInUse()) ExpectQuadrants(r, "full screen");

  EXPECT_EQ(0, SendMessageW(popup, WM_SYSKEYDOWN, VK_TAB, 1 << 29)) << "Alt+Tab is swallowed";
  PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(300);
  EXPECT_FALSE(output.FullScreen()) << "Escape reached the node window, which left full screen";
  EXPECT_FALSE(IsWindowVisible(popup));
  EXPECT_TRUE(output.windowRenderer().Initialised());
  window.output = nullptr;
}

}  // namespace
}  // namespace present
