// The pop-up menu from the view's state, and the status line: texts from
// [VIEWER_MENU] (here their defaults), check marks, greying, the items only
// some views have, and the reconnect countdown.
#include <gtest/gtest.h>

#include "app/view/frame_tips.h"
#include "app/view/status_line.h"
#include "app/view/view_menu.h"

namespace app::view {
namespace {

std::string Default(const settings::TextId& id) { return id.default_text; }

const MenuItem* Find(const std::vector<MenuItem>& items, uint32_t command) {
  for (const MenuItem& item : items) {
    if (item.command == command) return &item;
    if (const MenuItem* inner = Find(item.items, command)) return inner;
  }
  return nullptr;
}

const MenuItem* FindText(const std::vector<MenuItem>& items, const std::string& text) {
  for (const MenuItem& item : items)
    if (item.text == text) return &item;
  return nullptr;
}

TEST(ViewMenu, HoldsEveryCommandWithItsDefaultText) {
  const std::vector<MenuItem> menu = BuildViewMenu(ViewMenuState{}, Default);
  const struct {
    uint32_t command;
    const char* text;
  } items[] = {{32788, "internal video"}, {32789, "external video"}, {32790, "alternative internal/external video"},
               {32770, "QCIF"},           {32774, "1x"},             {32772, "2x"},
               {32773, "Full Screen"},    {33001, "Preset(1)"},      {33009, "Preset(9)"},
               {33000, "(etc)"},          {32775, "Sound On/Off"},   {32776, "Speaker On/Off"},
               {32793, "Highest"},        {32794, "higher"},         {32795, "Normal"},
               {32796, "Lower"},          {32797, "Lowest"},         {32777, "Interative Rec"},
               {33020, "Snapshot"},       {32771, "Hide fps/bps"},   {33010, "Preset Setting"},
               {32798, "Reboot"},         {32807, "Preset"},         {32778, "Close"},
               {33021, "Play Back..."}};
  for (const auto& i : items) {
    const MenuItem* item = Find(menu, i.command);
    ASSERT_NE(nullptr, item) << i.command;
    EXPECT_EQ(i.text, item->text) << i.command;
  }
  for (const char* sub : {"Video from", "Screen Size", "Preset Goto", "Quality"})
    EXPECT_NE(nullptr, FindText(menu, sub)) << sub;
  EXPECT_EQ(nullptr, Find(menu, 32792)) << "Camera Option only for the privileged users";
  EXPECT_EQ(nullptr, Find(menu, 32779)) << "Random Access only for stored files";
}

TEST(ViewMenu, ChecksAndGreyingFollowTheState) {
  ViewMenuState s;
  s.video_input = 2;
  s.size = ScreenSize::k2x;
  s.sound_on = true;
  s.speaker_allowed = false;
  s.quality = 16;
  s.recording = true;
  s.status_shown = false;
  const std::vector<MenuItem> menu = BuildViewMenu(s, Default);
  for (uint32_t c : {32790u, 32772u, 32775u, 32796u, 32777u}) EXPECT_TRUE(Find(menu, c)->checked) << c;
  for (uint32_t c : {32788u, 32789u, 32774u, 32770u, 32773u, 32776u, 32793u}) EXPECT_FALSE(Find(menu, c)->checked) << c;
  EXPECT_FALSE(Find(menu, 32776)->enabled) << "no speaker through the hosting server";
  EXPECT_EQ("Show fps/bps", Find(menu, 32771)->text);

  s.full_screen = true;
  const std::vector<MenuItem> full = BuildViewMenu(s, Default);
  EXPECT_TRUE(Find(full, 32773)->checked);
  EXPECT_FALSE(Find(full, 32772)->checked);
}

// Camera Option and Preset Setting need the camera's own settings: until
// they can open they are greyed and say why, instead of doing nothing.
TEST(ViewMenu, TheSettingsDialogsAreGreyedWithAReasonUntilTheyCanOpen) {
  ViewMenuState s;
  s.user_id = "vuze";
  const struct {
    CameraSettings settings;
    bool enabled;
    const char* preset_text;
  } cases[] = {{CameraSettings::kArrived, true, "Preset Setting"},
               {CameraSettings::kWaiting, false, "Preset Setting (waiting for the camera's settings)"},
               {CameraSettings::kRelayed, false, "Preset Setting (only in a view of a camera entry)"}};
  for (const auto& c : cases) {
    s.camera_settings = c.settings;
    const std::vector<MenuItem> menu = BuildViewMenu(s, Default);
    EXPECT_EQ(c.enabled, Find(menu, 33010)->enabled) << c.preset_text;
    EXPECT_EQ(c.enabled, Find(menu, 32792)->enabled) << c.preset_text;
    EXPECT_EQ(c.preset_text, Find(menu, 33010)->text);
  }
}

TEST(ViewMenu, PrivilegedUsersAndStoredFilesGetTheirItems) {
  for (const char* user : {"vuze", "vuredevi"}) {
    ViewMenuState s;
    s.user_id = user;
    EXPECT_NE(nullptr, Find(BuildViewMenu(s, Default), 32792)) << user;
  }
  for (const char* user : {"Vuze", "vuze ", "demo", ""}) {
    ViewMenuState s;
    s.user_id = user;
    EXPECT_EQ(nullptr, Find(BuildViewMenu(s, Default), 32792)) << "'" << user << "'";
  }
  ViewMenuState file;
  file.file_view = true;
  const std::vector<MenuItem> menu = BuildViewMenu(file, Default);
  EXPECT_NE(nullptr, Find(menu, 32779));
  EXPECT_EQ(nullptr, Find(menu, 32777));
}

TEST(ViewMenu, TextsComeFromTheLookup) {
  const std::vector<MenuItem> menu =
      BuildViewMenu(ViewMenuState{}, [](const settings::TextId& id) { return std::string("[") + id.key + "]"; });
  EXPECT_EQ("[MENU_SNAPSHOT]", Find(menu, 33020)->text);
  EXPECT_EQ("[MENU_PRESET_GOTO](3)", Find(menu, 33003)->text);
  EXPECT_NE(nullptr, FindText(menu, "[MENU_PRESET_GOTO_MAIN]"));
}

TEST(StatusLine, ShowsStatePicturesCountdownAndRates) {
  struct Case {
    const char* what;
    StatusState state;
    StatusLine line;
  } cases[] = {
      {"streaming", {0, true, false, 1000, 0, false, "25 fps, 800 kbps", ""}, {StatusPicture::kNone, "25 fps, 800 kbps"}},
      {"connecting", {0, false, true, 1000, 0, false, "0 fps, 0 kbps", ""}, {StatusPicture::kNone, "Connecting..."}},
      {"cannot connect, waiting", {2, false, true, 1000, 43500, false, "", ""},
       {StatusPicture::kCannotConnect, "Next attempt in 43 s"}},
      {"last part of a second rounds up", {2, false, true, 1000, 1001, false, "", ""},
       {StatusPicture::kCannotConnect, "Next attempt in 1 s"}},
      {"given up", {2, false, false, 1000, 0, false, "", ""}, {StatusPicture::kCannotConnect, "Cannot connect"}},
      {"refused", {3, false, false, 1000, 0, false, "", ""}, {StatusPicture::kLoginRefused, "Login refused"}},
      {"camera not found, the view retrying by itself", {4, true, false, 1000, 0, false, "0 fps, 0 kbps", ""},
       {StatusPicture::kNone, "Camera or file not found"}},
      {"file ended", {0, true, false, 1000, 0, true, "0 fps, 0 kbps", ""}, {StatusPicture::kNone, "End of File"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, MakeStatusLine(c.state, Default)) << c.what;
  StatusState kept;
  kept.connect_status = 2;
  kept.connecting = true;
  kept.now_ms = 1000;
  kept.next_attempt_ms = 4200;
  kept.attempt = 5;
  EXPECT_EQ((StatusLine{StatusPicture::kCannotConnect, "Attempt 5 in 4 s"}), MakeStatusLine(kept, Default))
      << "kept reconnecting shows the attempt";
}

TEST(FrameTips, NameEachButtonsActionAndState) {
  FrameTipState s;
  FrameTips tips = MakeFrameTips(s, Default);
  EXPECT_EQ("Sound: off", tips.sound);
  EXPECT_EQ("Speaker: off", tips.speaker);
  EXPECT_EQ("Recording: off", tips.record);
  s.sound_on = s.speaker_on = s.recording = true;
  s.recording_path = "D:\\rec\\gate.mp4";
  tips = MakeFrameTips(s, Default);
  EXPECT_EQ("Sound: on", tips.sound);
  EXPECT_EQ("Speaker: on", tips.speaker);
  EXPECT_EQ("Recording to D:\\rec\\gate.mp4", tips.record);
  s.speaker_allowed = false;
  EXPECT_EQ("Speaker: not through the hosting server", MakeFrameTips(s, Default).speaker);
  s.recording_path = "C:\\100%\\%s.mp4";
  EXPECT_EQ("Recording to C:\\100%\\%s.mp4", MakeFrameTips(s, Default).record) << "a path is not a format";
  // Replaced through the settings file like every text.
  tips = MakeFrameTips(s, [](const settings::TextId& id) { return std::string("[") + id.key + "]"; });
  EXPECT_EQ("[SOUND_ON]", tips.sound);
  EXPECT_EQ("[RECORD_ON]", tips.record) << "a replaced text without %s shows no path";
}

}  // namespace
}  // namespace app::view
