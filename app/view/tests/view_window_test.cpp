// The camera view window under Wine and Xvfb against halyard-sim in this
// process: pictures on the screen, rates and overlay, the screen sizes of
// the table, the size following the camera, every menu command on the
// wire, held keys, drags, double clicks and the wheel, recording and
// snapshots, placement and docking, relay and file views.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/alerts/camera_alerts.h"
#include "app/view/registry_motion.h"
#include "app/view/tests/view_test_support.h"
#include "app/view/view_layout.h"
#include "app/view/view_resource.h"
#include "os/debug_log.h"
#include "os/win32/text.h"
#include "present/i420_convert.h"
#include "record/mp4_output.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/registry_key.h"
#include "settings/win32/viewer_registry.h"

namespace app::view {
namespace {

using namespace testing;

constexpr uint16_t kNobodyListens = 1;  // loopback port 1: connections are refused

struct SilentPresenter : settings::MessagePresenter {
  void Present(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};
SilentPresenter& Presenter() {
  static SilentPresenter presenter;
  return presenter;
}

class ViewWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseDefaultTexts();
    settings::IniHandler::Instance().SetPresenter(&Presenter());
  }
  void SetUp() override {
    world_ = StartWorld();
    ASSERT_TRUE(world_) << "the simulator did not start";
    host_ = std::make_unique<FakeViewHost>(&chooser_);
  }
  void TearDown() override {
    host_.reset();
    world_->Stop();
  }

  uint16_t Port(const char* camera) { return world_->camera(camera)->port(); }
  // A view of CAM-MOTION, whose still scene a square crosses 8 s after it
  // connects and once in every 20 s after, with the camera's motion settings forgotten.
  CViewWindow* OpenMotionCamera() {
    world_->Stop();
    world_ = StartWorld({"--camera", "CAM-MOTION:0:motion_320x240.m4v"});
    if (!world_) return nullptr;
    RememberMotionSettings("CAM-MOTION", MotionSettings());
    RememberMotionDetection("CAM-MOTION", false);
    RememberMotionRecording("CAM-MOTION", "");
    CViewWindow* v = host_->OpenDirect("Yard", Port("CAM-MOTION"));
    return Streaming(v) ? v : nullptr;
  }
  bool Identified(CViewWindow* v) { return PumpUntil([&] { return !v->CameraId().empty(); }, 15000); }
  bool Streaming(CViewWindow* v, uint64_t frames = 5) {
    return PumpUntil([&] { return v->Media()->path().FramesShown() >= frames; }, 15000);
  }
  bool Received(const std::string& line, size_t count = 1, int timeout_ms = 5000) {
    return PumpUntil([&] { return world_->log().Lines(line).size() >= count; }, timeout_ms);
  }
  size_t Count(const std::string& line) { return world_->log().Lines(line).size(); }
  void Command(CViewWindow* v, UINT command) { SendMessageW(v->Window(), WM_COMMAND, command, 0); }
  // A visible window `owner` owns (a dialog over the view), or null.
  struct OwnedSearch {
    HWND owner;
    HWND found;
  };
  static BOOL CALLBACK FindOwned(HWND w, LPARAM p) {
    auto* search = reinterpret_cast<OwnedSearch*>(p);
    if (GetWindow(w, GW_OWNER) != search->owner || !IsWindowVisible(w)) return TRUE;
    search->found = w;
    return FALSE;
  }
  static HWND OwnedWindow(HWND owner) {
    OwnedSearch search{owner, nullptr};
    EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // Sends the command; modal dialogs it opens over the view (and any
  // message box after them) are cancelled from another thread: the
  // command returns only once they are closed.
  bool DialogOpenedBy(CViewWindow* v, UINT command) {
    std::atomic<bool> returned{false}, opened{false};
    const HWND owner = v->Window();
    std::thread canceller([&] {
      while (!returned) {
        if (HWND dialog = OwnedWindow(owner)) {
          opened = true;
          PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        Sleep(50);
      }
    });
    Command(v, command);
    returned = true;
    canceller.join();
    return opened;
  }
  static RECT Rect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
  }
  // A child's rectangle relative to the frame's top left corner.
  static ScreenRect ChildRect(HWND frame, HWND child) {
    const RECT f = Rect(frame), c = Rect(child);
    return {c.left - f.left, c.top - f.top, c.right - f.left, c.bottom - f.top};
  }

  ScriptedChooser chooser_;
  std::unique_ptr<sim::World> world_;
  std::unique_ptr<FakeViewHost> host_;
};

std::string WindowText(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return win32::Narrow(text);
}

TEST_F(ViewWindow, ShowsTheCamerasPicturesWithTheirRateAndName) {
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_NE(nullptr, v);
  EXPECT_EQ("Gate", WindowText(v->Window())) << "the entry's name, for the taskbar";
  ASSERT_TRUE(Streaming(v, 10));

  // Pictures drawn per second against the stream's rate.
  const int fps = world_->camera("CAM-320")->video().fps;
  const uint64_t before = v->Media()->path().FramesShown();
  const DWORD start = GetTickCount();
  PumpFor(3000);
  const double rate = double(v->Media()->path().FramesShown() - before) * 1000.0 / double(GetTickCount() - start);
  EXPECT_NEAR(fps, rate, 0.2 * fps) << "pictures shown per second";
  int shown_fps = -1, kbps = -1;
  ASSERT_EQ(2, std::sscanf(v->frame().status().text.c_str(), "%d fps, %d kbps", &shown_fps, &kbps))
      << v->frame().status().text;
  // The status reports the pictures actually shown per second.
  EXPECT_NEAR(fps, shown_fps, 0.2 * fps);
  EXPECT_GT(kbps, 0);
  const auto overlay = v->binding().overlay_sink()->overlay();
  ASSERT_TRUE(overlay);
  ASSERT_EQ(2u, overlay->texts().size()) << "rate and name";

  // With the stream held, the screen keeps the last picture: it must be the
  // decoded one in its colours (the middle rows, clear of texts and frame).
  world_->Execute("fault CAM-320 stall 5000");
  PumpFor(800);
  int w = 0, h = 0;
  std::vector<uint8_t> shown = v->ShownPicture(&w, &h);
  ASSERT_EQ(320, w);
  ASSERT_EQ(240, h);
  const int stride = w * 3;
  std::vector<uint8_t> bgr(size_t(stride) * h);
  codec::DecodedPicture d{shown.data(), w, h};
  present::I420ToBgr24BottomUp(d.Y(), d.U(), d.V(), w, h, bgr.data(), stride);
  // The GDI path on the screen and the switch's rules are the renderer's tests.
  const Screenshot screen = Shoot(Rect(v->PictureWindow()));
  ASSERT_EQ(320, screen.width);
  int points = 0, close = 0;
  for (int y = 40; y < 200; y += 7) {
    for (int x = 8; x < 312; x += 7) {
      const uint8_t* want = &bgr[size_t(h - 1 - y) * stride + 3 * x];
      const uint32_t got = screen.At(x, y);
      ++points;
      close += std::abs(int(got & 0xFF) - want[0]) <= 12 && std::abs(int((got >> 8) & 0xFF) - want[1]) <= 12 &&
               std::abs(int((got >> 16) & 0xFF) - want[2]) <= 12;
    }
  }
  EXPECT_GE(close, points * 97 / 100) << close << " of " << points << " points in the picture's colours";
  v->SetDrawThroughGdi(true);
  EXPECT_EQ(present::kModeGdi, v->binding().video()->windowRenderer().Mode()) << "the switch reaches the renderer";

  // The frame: yellow while the view is selected (the active window), red
  // on every second refresh while a notice is active.
  auto corner = [&] { return Shoot(Rect(v->PictureWindow())).At(1, 120); };
  auto is = [](uint32_t p, int r, int g, int b) {
    return std::abs(int((p >> 16) & 0xFF) - r) < 40 && std::abs(int((p >> 8) & 0xFF) - g) < 40 &&
           std::abs(int(p & 0xFF) - b) < 40;
  };
  SetForegroundWindow(v->Window());
  EXPECT_TRUE(PumpUntil([&] { return is(corner(), 255, 255, 0); }, 3000)) << std::hex << corner();
  world_->Execute("notice CAM-320 7");
  ASSERT_TRUE(PumpUntil([&] { return v->Node().notice_countdown() > 0; }));
  EXPECT_TRUE(PumpUntil([&] { return is(corner(), 255, 0, 0); }, 3000)) << "red frame";
  EXPECT_TRUE(PumpUntil([&] { return !is(corner(), 255, 0, 0); }, 3000)) << "blinking";
}

// The frame follows the camera's picture width, and the screen sizes resize
// it to the table (the table itself is the layout's, tested natively): the
// window must take it whole, in place.
TEST_F(ViewWindow, TheFrameFollowsTheCamerasPictureWidthAndTheScreenSizesResizeItToTheTable) {
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-176"));
  ASSERT_TRUE(PumpUntil([&] { return static_cast<ScreenSize>(v->ScreenSizeIndex()) == ScreenSize::kQcif; }, 15000)) << "176 wide: QCIF";
  EXPECT_EQ(333, Rect(v->Window()).right - Rect(v->Window()).left);
  v->Node().SetAddress({"127.0.0.1", Port("CAM-640"), false, "", "demo", "demo"});
  ASSERT_TRUE(PumpUntil([&] { return static_cast<ScreenSize>(v->ScreenSizeIndex()) == ScreenSize::k2x; }, 15000)) << "640 wide: 2x";
  EXPECT_EQ(652, Rect(v->Window()).right - Rect(v->Window()).left);
  EXPECT_EQ(513, Rect(v->Window()).bottom - Rect(v->Window()).top);
  v->Node().SetAddress({"127.0.0.1", Port("CAM-320"), false, "", "demo", "demo"});
  ASSERT_TRUE(PumpUntil([&] { return static_cast<ScreenSize>(v->ScreenSizeIndex()) == ScreenSize::k1x; }, 15000)) << "320 wide: 1x";
  EXPECT_EQ(332, Rect(v->Window()).right - Rect(v->Window()).left);
  const int buttons[] = {IDC_VIEW_AUDIO, IDC_VIEW_SPEAKER, IDC_VIEW_RECORD, IDC_VIEW_CLOSE};
  for (UINT command : {32770u, 32772u, 32774u}) {
    ScreenSize size;
    ASSERT_TRUE(ScreenSizeFor(command, &size));
    const FrameLayout layout = LayoutFor(size);
    const RECT before = Rect(v->Window());
    Command(v, command);
    const RECT r = Rect(v->Window());
    EXPECT_EQ(layout.width, r.right - r.left) << command;
    EXPECT_EQ(layout.height, r.bottom - r.top) << command;
    EXPECT_EQ(before.left, r.left) << "resized in place";
    EXPECT_EQ(before.top, r.top) << "resized in place";
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(layout.buttons[i], ChildRect(v->Window(), GetDlgItem(v->Window(), buttons[i]))) << command << " " << i;
    EXPECT_EQ(layout.picture, ChildRect(v->Window(), v->PictureWindow())) << command;
    EXPECT_EQ(size, v->MenuState().size);
  }
  // Without a camera ID the sizes do nothing.
  CViewWindow* idle = host_->OpenDirect("Nobody", kNobodyListens);
  Command(idle, 32772);
  EXPECT_EQ(332, Rect(idle->Window()).right - Rect(idle->Window()).left);
}

TEST_F(ViewWindow, EveryMenuCommandReachesTheCameraWithItsValuesAndARefusalIsShown) {
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_TRUE(Streaming(v));
  ASSERT_TRUE(PumpUntil([&] {
    const node::ChannelEntry speaker = v->Node().channel(node::CNodeWindow::kSpeaker);
    return speaker.id != net::kChannelNotFound;
  })) << "audio and speaker channels";
  world_->log().Clear();
  const struct {
    UINT command;
    const char* line;
  } sent[] = {
      {32790, "CAM-320 RequestVideoInput value=2"},
      {32797, "CAM-320 RequestQuality value=20"},
      {33005, "RequestPresetCommand command=2 number=4 v2=0 v3=0"},
      {32798, "CAM-320 RequestReboot value=20"},
  };
  for (const auto& s : sent) {
    Command(v, s.command);
    EXPECT_TRUE(Received(s.line)) << s.command << ": " << s.line;
  }
  const ViewMenuState state = v->MenuState();
  EXPECT_EQ(2u, state.video_input);
  EXPECT_EQ(20u, state.quality);

  // The menu the window shows is built from this state (its rules are the menu's own).
  HMENU menu = v->CreatePopupMenu();
  EXPECT_TRUE(GetMenuState(menu, 32790, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(UINT(-1), GetMenuState(menu, 32792, MF_BYCOMMAND)) << "Camera Option: user demo is not privileged";
  DestroyMenu(menu);

  // Sound and speaker switch their channels off and on again.
  const uint32_t audio = v->Node().channel(node::CNodeWindow::kAudio).id;
  const uint32_t speaker = v->Node().channel(node::CNodeWindow::kSpeaker).id;
  Command(v, 32775);
  EXPECT_TRUE(Received("RequestChannelCommand channel=" + std::to_string(audio) + " command=4"));
  EXPECT_TRUE(PumpUntil([&] { return IsDlgButtonChecked(v->Window(), IDC_VIEW_AUDIO) == BST_UNCHECKED; }));
  EXPECT_EQ("Sound: off", v->frame().TipText(IDC_VIEW_AUDIO)) << "the toggle's tooltip names action and state";
  Command(v, 32775);
  EXPECT_TRUE(Received("RequestChannelCommand channel=" + std::to_string(audio) + " command=3"));
  EXPECT_TRUE(PumpUntil([&] { return IsDlgButtonChecked(v->Window(), IDC_VIEW_AUDIO) == BST_CHECKED; }));
  SendMessageW(v->Window(), WM_COMMAND, MAKEWPARAM(IDC_VIEW_SPEAKER, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(v->Window(), IDC_VIEW_SPEAKER)));
  EXPECT_TRUE(Received("RequestChannelCommand channel=" + std::to_string(speaker) + " command=4"))
      << "the S toggle posts the speaker command";
  EXPECT_TRUE(PumpUntil([&] { return v->frame().TipText(IDC_VIEW_SPEAKER) == "Speaker: off"; })) << v->frame().TipText(IDC_VIEW_SPEAKER);

  // The dialogs: the camera setup sheet only for the privileged users, the
  // preset setup and number dialogs modal over the view, the preset panel
  // beside it and one per view. A live view has no seek window.
  EXPECT_FALSE(DialogOpenedBy(v, 32792)) << "Camera Option: user demo is not privileged";
  EXPECT_TRUE(DialogOpenedBy(v, 33010)) << "preset setup";
  EXPECT_TRUE(DialogOpenedBy(v, 33000)) << "preset number";
  Command(v, 32807);
  const HWND panel = OwnedWindow(v->Window());
  EXPECT_TRUE(panel != nullptr && IsWindowVisible(panel)) << "the preset panel";
  Command(v, 32807);
  EXPECT_EQ(panel, OwnedWindow(v->Window()));
  const size_t before = world_->log().All().size();
  Command(v, 32779);
  PumpFor(500);
  EXPECT_EQ(before, world_->log().All().size());
  EXPECT_EQ(v->seek_window(), nullptr);

  // A refusal once reached only the debug log: whoever sent the settings hears of it.
  ASSERT_TRUE(PumpUntil([&] { return v->Node().setup_info_received(); }));
  world_->camera("CAM-320")->SetRefuseSetup(true);
  Presenter().shown.clear();
  ASSERT_GE(v->Node().Control().SendCameraSetupInfo(v->Node().setup_info()), 0);
  ASSERT_TRUE(PumpUntil([&] { return !Presenter().shown.empty(); }, 5000)) << "nothing was shown";
  EXPECT_EQ("The camera refused the settings: they were not changed.", Presenter().shown[0]);

  // Close releases the three channels and the view tells its host.
  Command(v, 32778);
  EXPECT_TRUE(Received("command=5", 3)) << "video, audio and speaker released";
  EXPECT_TRUE(PumpUntil([&] { return host_->closed == 1; }));
  EXPECT_TRUE(host_->Views().empty());
}

TEST_F(ViewWindow, KeysSteerTheCameraFromEveryWindowOfTheViewAndNoOther) {
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_TRUE(Identified(v));
  world_->log().Clear();
  PostMessageW(v->Window(), WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_TRUE(Received("RequestPTZControl pan=-1 tilt=0")) << "a tap is one step";
  // Keys reach a view through whichever of its windows has the focus.
  PostMessageW(GetDlgItem(v->Window(), IDC_VIEW_CLOSE), WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_TRUE(Received("RequestLensControl operation=1 speed=1"));
  EXPECT_TRUE(host_->Views().size() == 1) << "Enter and Escape never close a view";
  PostMessageW(GetDlgItem(v->Window(), IDC_VIEW_CLOSE), WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(v->Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(300);
  EXPECT_EQ(1u, host_->Views().size());

  CViewWindow* idle = host_->OpenDirect("Nobody", kNobodyListens);
  EXPECT_FALSE(idle->OnKeyDown(VK_LEFT, GetTickCount())) << "no camera ID: the key goes on";

  // A window the view owns (its save dialog, say) keeps its keys, and so
  // does the pop-up menu's loop.
  const size_t before = Count("RequestPTZControl");
  HWND owned = CreateWindowExW(0, L"STATIC", L"owned", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, v->Window(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  PostMessageW(owned, WM_KEYDOWN, VK_LEFT, 0);
  PumpFor(500);
  DestroyWindow(owned);
  struct MenuKeys {
    static void CALLBACK Press(HWND hwnd, UINT, UINT_PTR id, DWORD) {
      KillTimer(hwnd, id);
      PostMessageW(hwnd, WM_KEYDOWN, VK_RIGHT, 0);
      SetTimer(hwnd, 0x7E02, 400, Close);
    }
    static void CALLBACK Close(HWND hwnd, UINT, UINT_PTR id, DWORD) {
      KillTimer(hwnd, id);
      EndMenu();
    }
  };
  SetTimer(v->Window(), 0x7E01, 300, MenuKeys::Press);
  SendMessageW(v->PictureWindow(), WM_RBUTTONUP, 0, MAKELPARAM(100, 100));  // runs the menu until EndMenu
  PumpFor(500);
  EXPECT_EQ(before, Count("RequestPTZControl")) << "keys of other windows steered the camera";
}

// The pop-up menu (as any modal dialog) runs a loop of its own on the
// window's thread: the picture beside it must go on changing all the same.
struct MenuShots {
  static MenuShots* current;
  RECT area{};
  std::vector<Screenshot> shots;
  std::vector<uint64_t> shown;
  CViewWindow* view = nullptr;
  static void CALLBACK Take(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    MenuShots& m = *current;
    m.shots.push_back(Shoot(m.area));
    m.shown.push_back(m.view->binding().overlay_sink()->shown());
    if (m.shots.size() < 3) return;
    KillTimer(hwnd, id);
    EndMenu();
  }
};
MenuShots* MenuShots::current = nullptr;

size_t Differing(const Screenshot& a, const Screenshot& b) {
  size_t n = 0;
  for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

TEST_F(ViewWindow, PicturesGoOnWhileThePopUpMenuIsOpen) {
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_TRUE(Streaming(v, 10));
  PumpFor(500);
  // The left part of the picture: the menu opens to the right of x = 200.
  RECT area = Rect(v->PictureWindow());
  area.right = area.left + 150;
  MenuShots m;
  m.area = area;
  m.view = v;
  MenuShots::current = &m;
  SetTimer(v->Window(), 0x7E11, 700, MenuShots::Take);
  SendMessageW(v->PictureWindow(), WM_RBUTTONUP, 0, MAKELPARAM(200, 60));  // runs the menu until EndMenu
  MenuShots::current = nullptr;
  ASSERT_EQ(3u, m.shots.size());
  EXPECT_GT(m.shown[2], m.shown[0] + 10) << "the media worker drew pictures";
  const size_t total = m.shots[0].pixels.size();
  EXPECT_GT(Differing(m.shots[0], m.shots[1]), total / 20) << "the picture stood still behind the menu";
  EXPECT_GT(Differing(m.shots[1], m.shots[2]), total / 20) << "the picture stood still behind the menu";
}

TEST_F(ViewWindow, FullScreenIsOneViewAtATimeAndEscapeLeavesIt) {
  CViewWindow* a = host_->OpenDirect("A", Port("CAM-320"));
  CViewWindow* b = host_->OpenDirect("B", Port("CAM-176"));
  ASSERT_TRUE(Streaming(a) && Streaming(b));
  Command(a, 32773);
  ASSERT_TRUE(a->FullScreen());
  HWND full = FindWindowW(L"HalyardFullScreenWindow", L"full screen window");
  ASSERT_NE(nullptr, full);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), Rect(full).right - Rect(full).left);
  Command(b, 32773);
  EXPECT_FALSE(a->FullScreen()) << "the other view left full screen first";
  EXPECT_TRUE(b->FullScreen());
  EXPECT_TRUE(b->MenuState().full_screen);
  HWND full_b = GetForegroundWindow();
  PostMessageW(full_b, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !b->FullScreen(); }, 3000)) << "Escape in the full-screen window";
  Command(a, 32773);
  ASSERT_TRUE(a->FullScreen());
  PostMessageW(a->Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !a->FullScreen(); }, 3000)) << "Escape in the view";
}

TEST_F(ViewWindow, DragsDoubleClicksAndTheWheelFollowTheirRules) {
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_TRUE(Identified(v));
  // A camera of version 1.1.8 whose pan/tilt device (code 0) zooms to rectangles.
  net::CameraSetupInfo info = v->Node().setup_info();
  info.SetVersion(1, 1, 8);
  ASSERT_GE(v->Node().Control().SendCameraSetupInfo(info), 0);
  ASSERT_TRUE(PumpUntil([&] { return v->Node().setup_info().Version() == net::CameraVersion(1, 1, 8); }));
  world_->log().Clear();
  HWND picture = v->PictureWindow();
  auto mouse = [&](UINT message, int x, int y) {
    SendMessageW(picture, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
  };

  mouse(WM_LBUTTONDOWN, 100, 100);
  mouse(WM_MOUSEMOVE, 130, 130);
  ScreenRect frame;
  ASSERT_TRUE(v->binding().overlay_sink()->overlay()->DragFrame(320, 240, &frame)) << "the rectangle shows while dragging";
  EXPECT_EQ((ScreenRect{100, 100, 130, 130}), frame);
  mouse(WM_LBUTTONUP, 130, 130);
  EXPECT_TRUE(Received("AdvancedPTZControl x1=100 y1=100 x2=130 y2=130"));
  EXPECT_FALSE(v->binding().overlay_sink()->overlay()->DragFrame(320, 240, &frame)) << "and goes with the button";

  // Which drag steps and which draws a rectangle is the gesture's rule;
  // here the one the window alone decides: leaving the picture ends a drag.
  mouse(WM_LBUTTONDOWN, 10, 100);
  mouse(WM_MOUSEMOVE, 300, 100);
  mouse(WM_MOUSEMOVE, 400, 100);
  EXPECT_TRUE(Received("RequestPTZControl pan=9 tilt=0"));
  mouse(WM_LBUTTONUP, 400, 100);
  PumpFor(300);
  EXPECT_EQ(1u, Count("RequestPTZControl"));
  EXPECT_EQ(1u, Count("AdvancedPTZControl"));

  Command(v, 32772);  // 640 wide: corners in 320-pixel coordinates
  SendMessageW(picture, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(400, 300));
  EXPECT_TRUE(Received("AdvancedPTZControl x1=200 y1=150 x2=200 y2=150"));

  // The wheel over either window: the notches add up until the window's timer sends them.
  const DWORD start = GetTickCount();
  SendMessageW(v->Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
  SendMessageW(picture, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
  EXPECT_TRUE(Received("RequestLensControl operation=0 speed=4", 1, 8000));
  EXPECT_GE(GetTickCount() - start, 4900u) << "nothing before the timer";
}

TEST_F(ViewWindow, RecordsFromTheMenuAndTheToggleAndTakesSnapshots) {
  std::vector<std::string> log;
  DebugLogObserve([&](const std::string& line) { log.push_back(line); });
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_TRUE(Streaming(v));
  const std::string file = OutputFolder() + "\\view_recording.mp4";
  std::remove(file.c_str());

  chooser_.next = "";  // Cancel
  Command(v, 32777);
  EXPECT_EQ(1, chooser_.asked);
  EXPECT_FALSE(v->Media()->recorder().IsRecording()) << "a cancelled dialog leaves the view idle";

  chooser_.next = file;
  Command(v, 32777);
  ASSERT_TRUE(v->Media()->recorder().IsRecording());
  EXPECT_TRUE(PumpUntil([&] { return IsDlgButtonChecked(v->Window(), IDC_VIEW_RECORD) == BST_CHECKED; }));
  EXPECT_TRUE(v->MenuState().recording);
  EXPECT_EQ("Recording to " + file, v->frame().TipText(IDC_VIEW_RECORD)) << "the R toggle's tooltip names the file";
  bool rec_shown = false;
  for (const auto& t : v->binding().overlay_sink()->overlay()->texts()) rec_shown |= t.colour == kRed;
  EXPECT_TRUE(rec_shown) << "REC over the picture";
  PumpFor(3000);
  // The R toggle stops it.
  HWND r = GetDlgItem(v->Window(), IDC_VIEW_RECORD);
  SendMessageW(v->Window(), WM_COMMAND, MAKEWPARAM(IDC_VIEW_RECORD, BN_CLICKED), reinterpret_cast<LPARAM>(r));
  ASSERT_TRUE(PumpUntil([&] { return !v->Media()->recorder().IsRecording(); }));
  EXPECT_TRUE(PumpUntil([&] { return IsDlgButtonChecked(v->Window(), IDC_VIEW_RECORD) == BST_UNCHECKED; }));
  EXPECT_EQ("Recording: off", v->frame().TipText(IDC_VIEW_RECORD));
  std::ifstream recorded(file, std::ios::binary | std::ios::ate);
  EXPECT_GT(recorded.tellg(), 20000) << file;
  int starts = 0, stops = 0;
  for (const auto& l : log) {
    starts += l.find("Record Start : ") != std::string::npos;
    stops += l.find("Record Stop: ") != std::string::npos;
  }
  EXPECT_EQ(1, starts);
  EXPECT_EQ(1, stops);
  DebugLogObserve(nullptr);

  // Snapshots go beside the recordings by default, as PNG or BMP.
  for (const char* name : {"\\view_snapshot.png", "\\view_snapshot.bmp"}) {
    chooser_.next = OutputFolder() + name;
    Command(v, 33020);
    EXPECT_EQ(OutputFolder(), chooser_.last_folder);
    EXPECT_EQ(0u, chooser_.last_name.rfind("Gate_", 0)) << chooser_.last_name;
    EXPECT_TRUE(std::filesystem::exists(chooser_.next)) << "view_env.sh reads its format and width back";
  }
}

// A disk that fills while the view records: the toggle goes off, the
// status line says why, and the pictures go on.
TEST_F(ViewWindow, AFullDiskStopsTheRecordingAndSaysWhy) {
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_TRUE(Streaming(v));
  v->Media()->recorder().SetOutputFactory(
      [](const std::string&) { return std::make_unique<record::Mp4MemoryOutput>(30000); });
  chooser_.next = OutputFolder() + "\\view_full_disk.mp4";
  Command(v, 32777);
  ASSERT_TRUE(v->Media()->recorder().IsRecording());
  ASSERT_TRUE(PumpUntil([&] { return !v->Media()->recorder().IsRecording(); }, 20000)) << "REC stayed on";
  EXPECT_TRUE(PumpUntil([&] { return IsDlgButtonChecked(v->Window(), IDC_VIEW_RECORD) == BST_UNCHECKED; }));
  EXPECT_TRUE(PumpUntil([&] { return v->frame().status().text.rfind("Recording stopped: cannot write", 0) == 0; }))
      << v->frame().status().text;
  EXPECT_TRUE(Streaming(v, v->Media()->path().FramesShown() + 10)) << "live viewing must go on";
}

// With Record on Motion and an alert set to bring the view forward, a motion
// restores the minimised view and says so in the event log; while it lasts
// the view's frame is amber and MOTION is over the picture; and it leaves a
// file of its own.
TEST_F(ViewWindow, AMotionBringsTheViewForwardShowsAmberOverThePictureAndIsRecorded) {
  alerts::AlertRules rules;
  rules.bring_forward = true;
  alerts::RememberAlertRules("CAM-MOTION", rules);
  alerts::RememberAlertsArmed(true);
  node::EventLog log;
  alerts::CameraAlerts alerts(&log, nullptr);
  host_->on_motion = [&](HWND view, const std::string& id, const std::string& name) {
    alerts.MotionStarted(view, id, name);
  };
  auto motion_files = [] {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(OutputFolder()))
      if (entry.path().filename().string().rfind("CAM-MOTION_", 0) == 0) files.push_back(entry.path());
    return files;
  };
  for (const auto& old : motion_files()) std::filesystem::remove(old);
  CViewWindow* v = OpenMotionCamera();
  ASSERT_TRUE(v) << "the simulator did not start or the view shows nothing";
  chooser_.next = OutputFolder() + "\\motion.mp4";  // asked only when no recording folder is known yet
  Command(v, kCommandMotionRecording);
  EXPECT_TRUE(v->MenuState().motion_on);
  EXPECT_TRUE(v->MenuState().motion_recording);
  EXPECT_TRUE(MotionDetectionRemembered("CAM-MOTION")) << "the camera's setting was not kept";
  EXPECT_EQ(OutputFolder(), MotionRecordingRemembered("CAM-MOTION"));
  ShowWindow(v->Window(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(v->Window()));
  ASSERT_TRUE(PumpUntil([&] { return v->Media()->path().motion().InMotion(); }, 20000)) << "the crossing gave no motion";
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(v->Window()); }, 3000)) << "the alert left the view minimised";
  const std::vector<node::EventEntry> logged = log.Entries();
  EXPECT_TRUE(std::any_of(logged.begin(), logged.end(),
                          [](const node::EventEntry& e) { return e.text == "Motion alert: view brought forward"; }));

  auto amber = [](uint32_t p) {
    return std::abs(int((p >> 16) & 0xFF) - 255) < 40 && std::abs(int((p >> 8) & 0xFF) - 165) < 40 &&
           std::abs(int(p & 0xFF)) < 60;
  };
  auto frame_is_amber = [&] { return amber(Shoot(Rect(v->PictureWindow())).At(1, 120)); };
  EXPECT_TRUE(PumpUntil(frame_is_amber, 3000)) << std::hex << Shoot(Rect(v->PictureWindow())).At(1, 120);
  // MOTION sits above the name, in the lower part of the picture.
  auto word_pixels = [&] {
    const Screenshot s = Shoot(Rect(v->PictureWindow()));
    int count = 0;
    for (int y = s.height / 2; y < s.height - 4; ++y)
      for (int x = 8; x < s.width - 8; ++x) count += amber(s.At(x, y));
    return count;
  };
  EXPECT_TRUE(PumpUntil([&] { return word_pixels() > 20; }, 3000)) << "MOTION is not over the picture";
  ASSERT_TRUE(PumpUntil([&] { return !v->Media()->path().motion().InMotion(); }, 15000)) << "the motion never ended";
  EXPECT_TRUE(PumpUntil([&] { return !frame_is_amber(); }, 3000)) << "the amber frame stayed";
  // Ten seconds after the motion the file is finished.
  ASSERT_TRUE(PumpUntil([&] { return !v->Media()->motion_recorder().IsRecording(); }, 15000));
  v->Media()->motion_recorder().recorder().WaitFinished();
  const auto files = motion_files();
  ASSERT_EQ(1u, files.size()) << "one motion, one file";
  EXPECT_GT(std::filesystem::file_size(files[0]), 20000u) << files[0].string();
  Command(v, kCommandMotionRecording);
  EXPECT_FALSE(v->MenuState().motion_recording);
  host_->on_motion = nullptr;
  alerts::RememberAlertRules("CAM-MOTION", alerts::AlertRules());
}

TEST_F(ViewWindow, MotionSettingsDrawTheMaskOverThePictureAndKeepItOnlyOnOk) {
  CViewWindow* v = OpenMotionCamera();
  ASSERT_TRUE(v) << "the simulator did not start or the view shows nothing";
  auto luma_sum = [&] {
    int w = 0, h = 0;
    const std::vector<uint8_t> shown = v->ShownPicture(&w, &h);
    uint64_t sum = 0;
    for (int i = 0; i < w * h; ++i) sum += shown[size_t(i)];
    return w * h > 0 ? sum / uint64_t(w * h) : 0;
  };
  const uint64_t plain = luma_sum();

  Command(v, kCommandMotionSettings);
  ASSERT_NE(nullptr, v->motion_settings());
  const HWND dialog = v->motion_settings()->hwnd();
  ASSERT_TRUE(IsWindowVisible(dialog));
  RECT overlap;
  const RECT picture = Rect(v->PictureWindow()), beside = Rect(dialog);
  EXPECT_FALSE(IntersectRect(&overlap, &picture, &beside)) << "the dialog covers the picture it edits";

  // A drag from corner to corner masks every cell; the grid darkens them all.
  RECT area;
  GetClientRect(v->PictureWindow(), &area);
  SendMessageW(v->PictureWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageW(v->PictureWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(area.right - 2, area.bottom - 2));
  SendMessageW(v->PictureWindow(), WM_LBUTTONUP, 0, MAKELPARAM(area.right - 2, area.bottom - 2));
  EXPECT_EQ(node::MotionDetector::kCells, int(v->Media()->path().motion().MotionMask().count())) << "the detector has the mask at once";
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(0u, Count("PTZControl")) << "a mask drag is not a camera drag";
  EXPECT_TRUE(PumpUntil([&] { return luma_sum() < plain * 3 / 4; }, 3000)) << plain << " " << luma_sum();

  // The slider tries its level on the detector at once.
  SendDlgItemMessageW(dialog, IDC_MOTION_SENSITIVITY, TBM_SETPOS, TRUE, 9);
  SendMessageW(dialog, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_MOTION_SENSITIVITY)));
  EXPECT_EQ(9, v->Media()->path().motion().MotionSensitivity());
  // The smallest object and shortest motion: a half-typed field keeps the last whole value.
  SetDlgItemTextW(dialog, IDC_MOTION_MIN_SIZE, L"7");
  SetDlgItemTextW(dialog, IDC_MOTION_MIN_DURATION, L"1.5");
  SetDlgItemTextW(dialog, IDC_MOTION_MIN_DURATION, L"1.");

  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(PumpUntil([&] { return v->motion_settings() == nullptr; }, 3000));
  EXPECT_TRUE(PumpUntil([&] { return luma_sum() > plain * 3 / 4; }, 3000)) << "the grid stayed after OK";
  MotionSettings kept = MotionSettingsRemembered("CAM-MOTION");
  EXPECT_EQ(9, kept.sensitivity);
  EXPECT_EQ(node::MotionDetector::kCells, int(kept.mask.count()));
  EXPECT_EQ(7, kept.min_cells);
  EXPECT_EQ(1500, kept.min_duration_ms);

  // Cancel puts back what the settings opened with, on the detector and in the registry.
  Command(v, kCommandMotionSettings);
  ASSERT_NE(nullptr, v->motion_settings());
  SendMessageW(v->PictureWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));  // unmasks a cell
  SendMessageW(v->PictureWindow(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(node::MotionDetector::kCells - 1, int(v->Media()->path().motion().MotionMask().count()));
  // Esc on the slider cancels, as in any dialog (the main window's modal loop does not see this one's keys).
  PostMessageW(GetDlgItem(v->motion_settings()->hwnd(), IDC_MOTION_SENSITIVITY), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(PumpUntil([&] { return v->motion_settings() == nullptr; }, 3000)) << "Esc did not cancel";
  EXPECT_EQ(node::MotionDetector::kCells, int(v->Media()->path().motion().MotionMask().count()));
  EXPECT_EQ(node::MotionDetector::kCells, int(MotionSettingsRemembered("CAM-MOTION").mask.count()));

  RememberMotionDetection("CAM-MOTION", false);
  RememberMotionSettings("CAM-MOTION", MotionSettings());
}

TEST_F(ViewWindow, ViewsPlaceThemselvesDockAndSort) {
  std::vector<CViewWindow*> views;
  for (int i = 0; i < 5; ++i) views.push_back(host_->OpenDirect(std::string(1, char('A' + i)), kNobodyListens));
  const RECT main = Rect(host_->MainWindow());
  const POINT expected[] = {{main.right, 0}, {main.right + 332, 0}, {main.right, 273}, {main.right + 332, 273}};
  for (int i = 0; i < 4; ++i) {
    const RECT r = Rect(views[i]->Window());
    EXPECT_EQ(expected[i].x, r.left) << i;
    EXPECT_EQ(expected[i].y, r.top) << i;
    EXPECT_EQ(i == 0 ? nullptr : views[0], host_->OpenViews().DockedTo(views[i])) << i;
  }
  // 1024 x 768 holds four (the placement's rule): the fifth docks to nobody.
  EXPECT_EQ(nullptr, host_->OpenViews().DockedTo(views[4]));

  // Dragging the first view drags the views docked to it along.
  views[0]->frame().DragTo(main.right + 40, 100);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(expected[i].x + 40, Rect(views[i]->Window()).left) << i;
    EXPECT_EQ(expected[i].y + 100, Rect(views[i]->Window()).top) << i;
  }
  // A view dragged near another snaps to it within 20 pixels and docks.
  const RECT fourth = Rect(views[3]->Window());
  views[4]->frame().DragTo(fourth.left + 100, fourth.bottom + 12);
  EXPECT_EQ(fourth.bottom, Rect(views[4]->Window()).top);
  EXPECT_EQ(fourth.left + 100, Rect(views[4]->Window()).left);
  EXPECT_EQ(views[3], host_->OpenViews().DockedTo(views[4]));

  // Sort Window puts them back in order.
  host_->SortWindows();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(expected[i].x, Rect(views[i]->Window()).left) << "sorted " << i;
    EXPECT_EQ(expected[i].y, Rect(views[i]->Window()).top) << "sorted " << i;
  }
  // A closed view is nobody's docking target any more.
  views[0]->PostClose();
  ASSERT_TRUE(PumpUntil([&] { return host_->closed == 1; }));
  for (CViewWindow* v : host_->Views()) EXPECT_EQ(nullptr, host_->OpenViews().DockedTo(v));
}

TEST_F(ViewWindow, ARelayViewThroughTheHostingServerHasNoSpeakerAndNoSetup) {
  host_->Core().hosting().Connect({"127.0.0.1", world_->hosting()->port(), "demo", "demo"});
  ASSERT_TRUE(Received("hosting RequestFileList"));
  ViewRequest relay;
  relay.kind = ViewRequest::Kind::kRelay;
  relay.camera_id = "CAM-320";
  CViewWindow* v = host_->Open(relay);
  ASSERT_TRUE(Streaming(v));
  EXPECT_EQ("CAM-320", WindowText(v->Window()));
  EXPECT_TRUE(v->IsRelay());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(v->Window(), IDC_VIEW_SPEAKER))) << "no speaker through the hosting server";
  EXPECT_EQ("Speaker: not through the hosting server", v->frame().TipText(IDC_VIEW_SPEAKER));
  EXPECT_EQ(CameraSettings::kRelayed, v->MenuState().camera_settings) << "its setup dialogs are greyed";
  EXPECT_TRUE(PumpUntil([&] { return IsDlgButtonChecked(v->Window(), IDC_VIEW_AUDIO) == BST_CHECKED; }))
      << "the audio channel is on";
}

// A stored file's view: no recording, a seek window that follows the file and
// restarts it where the slider is let go, and the end said over the picture.
TEST_F(ViewWindow, TheSeekWindowFollowsAStoredFileAndRestartsItWhereTheSliderIsLetGo) {
  host_->Core().hosting().Connect({"127.0.0.1", world_->hosting()->port(), "demo", "demo"});
  ASSERT_TRUE(Received("hosting RequestFileList"));
  ViewRequest file;
  file.kind = ViewRequest::Kind::kFile;
  file.camera_id = "CAM-320";
  file.file_name = "rec/one.mp4";
  CViewWindow* f = host_->Open(file);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(f->Window(), IDC_VIEW_RANDOM_ACCESS)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(f->Window(), IDC_VIEW_RECORD)));
  Command(f, kCommandRandomAccess);
  EXPECT_EQ(f->seek_window(), nullptr) << "nothing plays yet";
  ASSERT_TRUE(Streaming(f, 3));
  const uint32_t length = f->Node().node_parameters().words[1];
  ASSERT_GE(length, 4000u) << "the file must be long enough to seek in";

  SetCursorPos(300, 200);
  Command(f, kCommandRandomAccess);
  CSeekWindow* seek = f->seek_window();
  ASSERT_NE(seek, nullptr);
  EXPECT_TRUE(IsWindowVisible(seek->hwnd()));
  EXPECT_EQ(Rect(seek->hwnd()).left, 300) << "at the pointer";
  EXPECT_EQ(Rect(seek->hwnd()).top, 200);
  EXPECT_EQ(seek->state().length(), length);
  EXPECT_EQ(seek->state().channel(), f->Node().channel(node::CNodeWindow::kVideo).id);
  const int opened_at = seek->SliderPosition();
  EXPECT_LT(opened_at, 50);
  EXPECT_TRUE(PumpUntil([&] { return seek->SliderPosition() > opened_at; }, 5000)) << "the slider follows playback";

  // The time line: where playback is, and the length.
  auto time = [](uint64_t ms) { return record::SeekSliderState::FormatTime(ms); };
  const std::string length_text = " / " + time(length);
  EXPECT_TRUE(PumpUntil([&] { return seek->TimeText() == time(f->Media()->path().Position()) + length_text; }, 3000))
      << seek->TimeText();
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(seek->hwnd(), CSeekWindow::kTimeId)));

  // The user drags the thumb to the middle, sees where it will go, and lets go.
  HWND slider = GetDlgItem(seek->hwnd(), CSeekWindow::kSliderId);
  SendMessageW(slider, TBM_SETPOS, TRUE, 50);
  SendMessageW(seek->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 50), reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(seek->TimeText(), "Go to " + time(length / 2) + length_text);
  const uint64_t before = f->Media()->path().Position();
  ASSERT_LT(before, length / 2 - 500u) << "too late in the file to see the jump";
  SendMessageW(seek->hwnd(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
  ASSERT_TRUE(Received("hosting RequeststreamingReset"));
  EXPECT_NE(world_->log().Lines("hosting RequeststreamingReset")[0].find(" position=" + std::to_string(length / 2)),
            std::string::npos)
      << world_->log().Lines("hosting RequeststreamingReset")[0];
  EXPECT_TRUE(PumpUntil([&] { return f->Media()->path().Position() + 100 >= length / 2; }, 5000))
      << "the simulator restarts the file in the middle";
  EXPECT_TRUE(seek->state().dragging()) << "held while the file restarts";
  EXPECT_EQ(seek->SliderPosition(), 50);
  EXPECT_TRUE(PumpUntil([&] { return !seek->state().dragging(); }, 4000)) << "the hold ends";
  EXPECT_TRUE(PumpUntil([&] { return seek->SliderPosition() > 50; }, 5000)) << "and the slider follows again";
  EXPECT_TRUE(PumpUntil([&] { return seek->TimeText() == time(f->Media()->path().Position()) + length_text; }, 3000))
      << "and the time: " << seek->TimeText();

  SendMessageW(seek->hwnd(), WM_COMMAND, MAKEWPARAM(CSeekWindow::kCloseId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(seek->hwnd(), CSeekWindow::kCloseId)));
  EXPECT_FALSE(IsWindowVisible(seek->hwnd())) << "the close button hides it";
  EXPECT_TRUE(PumpUntil([&] { return f->frame().status().text == "End of File"; }, 30000)) << f->frame().status().text;
  const auto texts = f->binding().overlay_sink()->overlay()->texts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const auto& t) { return t.band == OverlayBand::kMiddle; }))
      << "End of File over the picture";
  Command(f, kCommandRandomAccess);
  EXPECT_FALSE(IsWindowVisible(seek->hwnd())) << "not after the end: nothing plays";
}

// The viewer options a test sets in the registry, back to their defaults after it.
struct ViewerOptions {
  ViewerOptions(bool keep_reconnecting, int stall_seconds) {
    settings::SaveKeepReconnecting(keep_reconnecting);
    StoreStall(stall_seconds);
  }
  ~ViewerOptions() {
    settings::SaveKeepReconnecting(true);
    StoreStall(settings::kDefaultStallSeconds);
  }
  static void StoreStall(int seconds) {
    settings::RegistryKey key;
    if (key.OpenOrCreate(HKEY_CURRENT_USER, settings::kRegistryKeyPath))
      key.SetDword(settings::reg::kStallSeconds, static_cast<uint32_t>(seconds));
  }
};

// A camera that keeps its connection but sends nothing: after the stall time
// the last picture goes grey under "No video since HH:MM:SS", the view
// reconnects, and the next pictures bring the colours back.
TEST_F(ViewWindow, AStalledViewGreysItsPictureAndReconnects) {
  ViewerOptions options(true, 2);
  // The camera's alert tells of the stall once, and once of its pictures back.
  alerts::AlertRules rules;
  rules.balloon = true;
  alerts::RememberAlertRules("CAM-320", rules);
  alerts::RememberAlertsArmed(true);
  node::EventLog log;
  std::vector<std::string> balloons;
  alerts::CameraAlerts alerts(&log, [&](const std::string& title, const std::string& text) {
    balloons.push_back(title + ": " + text.substr(0, text.find(" at ")));
  });
  host_->on_outage = [&](HWND view, const std::string& id, const std::string& name, bool lost) {
    alerts.CameraOutage(view, id, name, lost);
  };
  CViewWindow* v = host_->OpenDirect("Gate", Port("CAM-320"));
  ASSERT_TRUE(Streaming(v, 10));
  const size_t logins = Count("CAM-320 RequestUserLogin");
  world_->Execute("fault CAM-320 stall 6000");
  ASSERT_TRUE(PumpUntil([&] { return !v->overlay_content().no_video.empty(); }, 8000)) << "no stall shown";
  int hour = -1, minute = -1, second = -1;
  EXPECT_EQ(3, std::sscanf(v->overlay_content().no_video.c_str(), "No video since %d:%d:%d", &hour, &minute, &second))
      << v->overlay_content().no_video;
  // How the old picture greys under the text is the overlay's test (OverlayPaint).
  EXPECT_TRUE(PumpUntil([&] {
    const auto texts = v->binding().overlay_sink()->overlay()->texts();
    return std::any_of(texts.begin(), texts.end(), [](const auto& t) { return t.band == OverlayBand::kMiddle; });
  }, 3000)) << "no text in the middle of the picture";
  if (const char* shot = std::getenv("HALYARD_STALL_SHOT_MS")) PumpFor(std::atoi(shot));  // time for a screenshot
  EXPECT_TRUE(Received("CAM-320 RequestUserLogin", logins + 1, 10000)) << "the stalled link was not renewed";
  EXPECT_TRUE(PumpUntil([&] { return v->overlay_content().no_video.empty(); }, 15000)) << "pictures did not come back";
  PumpUntil([&] { return balloons.size() >= 2; }, 2000);
  EXPECT_EQ((std::vector<std::string>{"Gate: Camera lost", "Gate: Camera back"}), balloons);
  host_->on_outage = nullptr;
  alerts::RememberAlertRules("CAM-320", alerts::AlertRules());
}

// The options hold for the links made after them: the first view gives up
// after a while and counts down to its next try, the second keeps reconnecting.
TEST_F(ViewWindow, AViewCountsDownToItsNextAttemptOrKeepsReconnectingAndSaysWhichAttempt) {
  ViewerOptions options(false, 10);
  CViewWindow* v = host_->OpenDirect("Nobody", kNobodyListens);
  ASSERT_TRUE(PumpUntil([&] { return v->frame().status().picture == StatusPicture::kCannotConnect; }));
  ASSERT_TRUE(PumpUntil([&] { return v->frame().status().text.rfind("Next attempt in ", 0) == 0; }))
      << v->frame().status().text;
  int first = 0, later = 0;
  std::sscanf(v->frame().status().text.c_str(), "Next attempt in %d s", &first);
  PumpFor(2100);
  std::sscanf(v->frame().status().text.c_str(), "Next attempt in %d s", &later);
  EXPECT_GE(first, 58);
  EXPECT_LE(first, 60);
  EXPECT_NEAR(first - 2, later, 1) << "counts down";

  settings::SaveKeepReconnecting(true);
  CViewWindow* kept = host_->OpenDirect("Nobody kept", kNobodyListens);
  int attempt = 0, seconds = -1;
  ASSERT_TRUE(PumpUntil([&] {
    return std::sscanf(kept->frame().status().text.c_str(), "Attempt %d in %d s", &attempt, &seconds) == 2 && attempt >= 4;
  }, 15000)) << kept->frame().status().text;
  EXPECT_EQ(StatusPicture::kCannotConnect, kept->frame().status().picture);
  EXPECT_LE(seconds, 8) << "the waits grow 1, 2, 4, 8, then 10 s";
}

}  // namespace
}  // namespace app::view
