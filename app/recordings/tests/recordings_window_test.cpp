// The Recordings window under Wine and Xvfb, on a folder of two cameras'
// recordings written by the recorder's own writer: it finds the cameras and
// the day, a click on the timeline seeks and the picture recorded there
// comes back from the screen, the keys jump and step, a camera without a
// recording at the position says so, and a marked range is exported.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/recordings/recordings_window.h"
#include "os/win32/tests/win32_test_rig.h"
#include "record/recording_names.h"
#include "record/tests/recording_maker.h"
#include "settings/win32/ini_handler.h"

namespace app::recordings {
namespace {

using win32::testing::PumpUntil;

class RecordingsWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    settings::IniHandler& ini = settings::IniHandler::Instance();
    if (!ini.IsInitialised()) ini.Initialise((root_.path / "no-such-settings-file.ini").string());
    ASSERT_TRUE(record::LocalToWallSeconds(2026, 3, 14, 10, 0, 0, &ten_));
    const record::testing::Clip clip = record::testing::LoadClip();
    ASSERT_FALSE(clip.pictures.empty());
    // Minutes of each camera around ten o'clock, with motion inside some.
    struct File {
      const char* camera;
      int64_t at;  // seconds after 10:00
      size_t pictures;
      bool motion;
    };
    for (const File& f : {File{"Gate", 0, 900, false}, File{"Gate", 300, 900, false}, File{"Gate", 20, 150, true},
                          File{"Gate", 1500, 1800, false}, File{"Gate", 1560, 300, true}, File{"Yard", 120, 900, false},
                          File{"Yard", 1440, 2700, false}, File{"Yard", 1540, 300, true}}) {
      record::testing::Recording r;
      r.creation = ten_ + f.at;
      r.times = record::testing::Times(f.pictures, 66);
      const std::string name = record::testing::Stem(f.camera, ten_ + f.at) + (f.motion ? "_motion.mp4" : ".mp4");
      ASSERT_TRUE(record::testing::Write(root_ / name, clip, r)) << name;
    }
  }

  void SetUp() override {
    window_ = std::make_unique<CRecordingsWindow>(GetModuleHandleW(nullptr));
    window_->Show(nullptr, Sources());
    ASSERT_TRUE(PumpUntil([&] { return window_->catalog() && !window_->cameras().empty(); }, 20000));
  }

  // The player has shown camera i's picture of `time` (within a picture).
  bool Shows(size_t i, int64_t time) {
    const node::PlayerStatus s = window_->status();
    return s.views.size() > i && !s.views[i].noRecording && std::llabs(s.views[i].pictureTime - time) <= 66 &&
           window_->pane(i)->shown() > 0;
  }

  // A press and release of the left button on the timeline at `time`.
  void ClickTimeline(int64_t time) {
    HWND timeline = window_->timeline()->hwnd();
    const int x = window_->timeline()->scale().XAt(time);
    SendMessageW(timeline, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 30));
    SendMessageW(timeline, WM_LBUTTONUP, 0, MAKELPARAM(x, 30));
  }

  static RecordingsSources Sources() {
    RecordingsSources sources;
    sources.roots = {root_.Root()};
    return sources;
  }

  static inline record::testing::TempFolder root_{"recordings_window"};
  static inline int64_t ten_ = 0;
  std::unique_ptr<CRecordingsWindow> window_;
};

TEST_F(RecordingsWindowTest, ClickOnTheTimelineShowsThatPictureOnTheScreen) {
  const int64_t ten = ten_ * 1000;
  ASSERT_EQ(window_->catalog()->Cameras().size(), 2u);
  window_->ChooseCameras({"Gate", "Yard"});
  EXPECT_EQ(window_->day(), record::LocalDay(ten_));
  EXPECT_EQ(window_->timeline()->scale().shown(), 24 * 3'600'000) << "a new day shows whole";
  window_->timeline()->Zoom(4, window_->timeline()->scale().XAt(ten + 1800'000));

  // Gate recorded at 10:00:30, Yard only from 10:02.
  const int64_t seek = ten + 30'000;
  ClickTimeline(seek);
  const int64_t clicked = window_->timeline()->requested();
  EXPECT_LE(std::llabs(clicked - seek), window_->timeline()->scale().shown() / window_->timeline()->scale().width() + 1);
  ASSERT_TRUE(PumpUntil([&] { return Shows(0, clicked) && window_->status().views[1].noRecording; }, 10000))
      << "position " << window_->status().position - ten;
  win32::testing::PumpFor(300);

  // What the screen shows in the pane is that picture, stretched: its
  // brightness, not a black or stale window.
  std::vector<uint8_t> picture;
  int width = 0, height = 0;
  ASSERT_TRUE(window_->pane(0)->LastPicture(&picture, &width, &height));
  double want = 0;
  for (int i = 0; i < width * height; ++i) want += picture[size_t(i)];
  want /= width * height;
  RECT r;
  GetWindowRect(window_->pane(0)->hwnd(), &r);
  r.top += (r.bottom - r.top) / 3;  // below the texts
  const win32::testing::ScreenPicture shot = win32::testing::CaptureScreen(r);
  ASSERT_FALSE(shot.pixels.empty());
  double got = 0;
  for (uint32_t p : shot.pixels) got += 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
  got /= static_cast<double>(shot.pixels.size());
  EXPECT_GT(want, 20.0);
  EXPECT_NEAR(got, want, 25.0) << "the screen does not show the recorded picture";

  // Keys: 5 s on, one picture on.
  EXPECT_TRUE(window_->OnKey(VK_RIGHT));
  ASSERT_TRUE(PumpUntil([&] { return Shows(0, clicked + 5000); }, 10000));
  const int64_t shown = window_->status().views[0].pictureTime;
  EXPECT_TRUE(window_->OnKey(VK_OEM_PERIOD));
  ASSERT_TRUE(PumpUntil([&] { return window_->status().views[0].pictureTime > shown; }, 10000));
  EXPECT_LE(window_->status().views[0].pictureTime - shown, 67);

  // Both cameras recorded at 10:25:10.
  const int64_t both = ten + 25 * 60'000 + 10'000;
  window_->Seek(both);
  ASSERT_TRUE(PumpUntil([&] { return Shows(0, both) && Shows(1, both); }, 10000));
}

// "Keep" on the timeline's recording: the mark turns over and the status
// says so; a recording the keeper refuses (outside the plans' folder) says why.
TEST_F(RecordingsWindowTest, KeepMarksTheRecordingUnderThePointer) {
  std::set<std::string> kept;
  RecordingsSources sources = Sources();
  sources.is_kept = [&](const std::string& path) { return kept.count(path) > 0; };
  sources.set_keep = [&](const std::string& path, bool keep) {
    if (path.find("Yard") != std::string::npos) return false;
    keep ? void(kept.insert(path)) : void(kept.erase(path));
    return true;
  };
  window_->Show(nullptr, sources);
  ASSERT_TRUE(PumpUntil([&] { return window_->catalog() && !window_->cameras().empty(); }, 20000));
  window_->ChooseCameras({"Gate", "Yard"});
  const int64_t ten = ten_ * 1000;
  EXPECT_EQ(window_->RecordingAt(1, ten + 30'000), "") << "Yard recorded only from 10:02";
  const std::string gate = window_->RecordingAt(0, ten + 30'000);
  EXPECT_NE(gate.find(record::testing::Stem("Gate", ten_)), std::string::npos) << gate;
  window_->ToggleKeep(gate);
  EXPECT_EQ(kept, std::set<std::string>{gate});
  EXPECT_NE(window_->status_text().find("is kept"), std::string::npos) << window_->status_text();
  window_->ToggleKeep(gate);
  EXPECT_TRUE(kept.empty());
  window_->ToggleKeep(window_->RecordingAt(1, ten + 150'000));
  EXPECT_NE(window_->status_text().find("not in the recording plans' folder"), std::string::npos)
      << window_->status_text();
}

// A view's "Play Back...": the first of its names that recorded, at its last minutes, playing.
TEST_F(RecordingsWindowTest, PlayBackOpensAtTheCamerasLastMinutesPlaying) {
  window_->ShowCamera(nullptr, Sources(), {"Yard camera", "Yard"});
  const int64_t end = window_->catalog()->Find("Yard")->recorded.back().end;
  ASSERT_TRUE(PumpUntil([&] {
    const node::PlayerStatus s = window_->status();
    return window_->cameras() == std::vector<std::string>{"Yard"} && !s.paused &&
           s.position >= end - CRecordingsWindow::kLastMinutesMs && s.position < end;
  }, 10000)) << window_->status().position - end;
}

TEST_F(RecordingsWindowTest, MarkedRangeOfBothCamerasIsExported) {
  window_->ChooseCameras({"Gate", "Yard"});
  record::testing::TempFolder out{"recordings_window_out"};
  win32::testing::SetText(GetDlgItem(window_->hwnd(), IDC_REC_FROM), record::LocalTimeText(ten_ + 1510));
  win32::testing::SetText(GetDlgItem(window_->hwnd(), IDC_REC_TO), record::LocalTimeText(ten_ + 1520));
  ASSERT_TRUE(window_->ExportTo(out.Root()));
  ASSERT_TRUE(PumpUntil([&] { return !window_->exporting(); }, 20000));
  win32::testing::PumpFor(100);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(out.path)) {
    EXPECT_EQ(entry.path().extension(), ".mp4") << entry.path();
    ++files;
  }
  EXPECT_EQ(files, 2u) << window_->status_text();
  EXPECT_NE(window_->status_text().find("Exported"), std::string::npos) << window_->status_text();
}

}  // namespace
}  // namespace app::recordings
