#include "app/view/view_menu.h"

#include "app/view/view_texts.h"

namespace app::view {
namespace {

namespace t = settings::text;

MenuItem Item(uint32_t command, std::string text, bool checked = false, bool enabled = true) {
  return {command, std::move(text), checked, enabled, {}};
}
MenuItem Sub(std::string text, std::vector<MenuItem> items) { return {0, std::move(text), false, true, std::move(items)}; }
MenuItem Separator() { return {}; }

}  // namespace

bool IsPrivilegedUser(const std::string& user_id) { return user_id == "vuze" || user_id == "vuredevi"; }

std::vector<MenuItem> BuildViewMenu(const ViewMenuState& s, const TextLookup& text) {
  std::vector<MenuItem> menu;
  menu.push_back(Sub(text(t::kViewerMenuVideoInput),
                     {Item(kCommandVideoInternal, text(t::kViewerMenuVideoInputMaster), s.video_input == 0),
                      Item(kCommandVideoInternal + 1, text(t::kViewerMenuVideoInputSlave), s.video_input == 1),
                      Item(kCommandVideoInternal + 2, text(t::kViewerMenuVideoInputMixed), s.video_input == 2)}));
  const bool windowed = !s.full_screen;
  menu.push_back(Sub(text(t::kViewerMenuScreenSize),
                     {Item(kCommandQcif, text(t::kViewerMenuQcif), windowed && s.size == ScreenSize::kQcif),
                      Item(kCommand1x, text(t::kViewerMenu1x), windowed && s.size == ScreenSize::k1x),
                      Item(kCommand2x, text(t::kViewerMenu2x), windowed && s.size == ScreenSize::k2x),
                      Item(kCommandFullScreen, text(t::kViewerMenuFullScreen), s.full_screen)}));
  // Preset entries read "Preset(1)" .. "Preset(9)": the entry's text with its number.
  std::vector<MenuItem> presets;
  const std::string preset = text(t::kViewerMenuPresetGoto);
  for (int k = 0; k < kPresetGotoEntries; ++k)
    presets.push_back(Item(kCommandPresetGotoFirst + k, preset + "(" + std::to_string(k + 1) + ")"));
  presets.push_back(Item(kCommandPresetGotoOther, "(etc)"));
  menu.push_back(Sub(text(t::kViewerMenuPresetGotoMain), std::move(presets)));
  menu.push_back(Separator());
  menu.push_back(Item(kCommandSound, text(t::kViewerMenuSound), s.sound_on));
  menu.push_back(Item(kCommandSpeaker, text(t::kViewerMenuSpeaker), s.speaker_on, s.speaker_allowed));
  std::vector<MenuItem> quality;
  const settings::TextId levels[] = {t::kViewerMenuQpHighest, t::kViewerMenuQpHigher, t::kViewerMenuQpNormal,
                                     t::kViewerMenuQpLower, t::kViewerMenuQpLowest};
  for (uint32_t i = 0; i < kQualityLevels; ++i)
    quality.push_back(Item(kCommandQualityHighest + i, text(levels[i]), s.quality == 4 * (i + 1)));
  menu.push_back(Sub(text(t::kViewerMenuQuality), std::move(quality)));
  menu.push_back(Separator());
  if (s.file_view)
    menu.push_back(Item(kCommandRandomAccess, text(t::kViewerMenuRandomAccess)));
  else
    menu.push_back(Item(kCommandRecord, text(t::kViewerMenuRecord), s.recording));
  menu.push_back(Item(kCommandSnapshot, text(kViewerMenuSnapshot)));
  menu.push_back(Item(kCommandPlayBack, text(kViewerMenuPlayBack)));
  if (!s.file_view) {
    menu.push_back(Item(kCommandMotionDetection, text(kViewerMenuMotion), s.motion_on));
    menu.push_back(Item(kCommandMotionRecording, text(kViewerMenuMotionRecord), s.motion_recording));
    menu.push_back(Item(kCommandMotionSettings, text(kViewerMenuMotionSettings)));
    menu.push_back(Item(kCommandAlerts, text(kViewerMenuAlerts)));
  }
  menu.push_back(Item(kCommandNetStatus,
                      text(s.status_shown ? t::kViewerMenuNetStatusHide : t::kViewerMenuNetStatusShow)));
  menu.push_back(Separator());
  // Without the camera's settings these would open nothing: greyed, saying why.
  const bool settings_here = s.camera_settings == CameraSettings::kArrived;
  const std::string why = s.camera_settings == CameraSettings::kRelayed ? " " + text(t::kViewerMenuNeedsDirectView)
                          : s.camera_settings == CameraSettings::kWaiting ? " " + text(t::kViewerMenuWaitingForSettings)
                                                                           : std::string();
  if (IsPrivilegedUser(s.user_id))
    menu.push_back(Item(kCommandCameraOption, text(t::kViewerMenuCameraOption) + why, false, settings_here));
  menu.push_back(Item(kCommandPresetSetting, text(t::kViewerMenuPresetSetting) + why, false, settings_here));
  menu.push_back(Item(kCommandReboot, text(t::kViewerMenuReboot)));
  menu.push_back(Item(kCommandPreset, text(t::kViewerMenuPreset)));
  menu.push_back(Separator());
  menu.push_back(Item(kCommandClose, text(t::kViewerMenuClose)));
  return menu;
}

}  // namespace app::view
