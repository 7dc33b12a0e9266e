#pragma once
// The camera view's pop-up menu as data: items, their command numbers,
// texts (from [VIEWER_MENU] through a lookup), check marks and greying,
// decided from the view's state. The window turns it into a Win32 menu.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/view/view_layout.h"
#include "settings/text_table.h"

namespace app::view {

// The view's own window commands (those of the node are in node/).
enum ViewCommand : uint32_t {
  kCommandNetStatus = 32771,
  kCommandSound = 32775,
  kCommandSpeaker = 32776,
  kCommandRecord = 32777,
  kCommandClose = 32778,
  kCommandRandomAccess = 32779,
  kCommandVideoInternal = 32788,  // .. 32790 alternating
  kCommandCameraOption = 32792,
  kCommandQualityHighest = 32793,  // .. 32797 lowest
  kCommandReboot = 32798,
  kCommandReconnect = 32799,
  kCommandPreset = 32807,
  kCommandPresetGotoOther = 33000,  // "(etc)": the number dialog
  kCommandPresetGotoFirst = 33001,  // .. 33009
  kCommandPresetSetting = 33010,
  kCommandSnapshot = 33020,
  kCommandPlayBack = 33021,
  kCommandMotionDetection = 33030,
  kCommandMotionRecording = 33031,
  kCommandMotionSettings = 33032,
  kCommandAlerts = 33033,
};

constexpr int kPresetGotoEntries = 9;
constexpr int kVideoInputs = 3;    // internal, external, alternating
constexpr int kQualityLevels = 5;  // highest .. lowest, sent as 4 .. 20

// Who may open the camera's setup sheet: these user IDs, compared exactly.
bool IsPrivilegedUser(const std::string& user_id);

// Whether the camera's own settings, which the setup sheet and the preset
// setup edit, can be had: a relayed view never gets them, a direct one once
// the camera has sent them.
enum class CameraSettings { kArrived, kWaiting, kRelayed };

struct ViewMenuState {
  uint32_t video_input = 0;  // 0 internal, 1 external, 2 alternating
  ScreenSize size = ScreenSize::k1x;
  bool full_screen = false;
  bool sound_on = false;
  bool speaker_on = false;
  bool speaker_allowed = true;  // false for views through the hosting server
  uint32_t quality = 0;         // 4 .. 20, 0 before the user chose one
  bool file_view = false;
  bool recording = false;
  bool status_shown = true;
  bool motion_on = false;
  bool motion_recording = false;
  std::string user_id;
  CameraSettings camera_settings = CameraSettings::kArrived;
};

struct MenuItem {
  uint32_t command = 0;  // 0 for a separator or a sub-menu
  std::string text;
  bool checked = false;
  bool enabled = true;
  std::vector<MenuItem> items;  // a sub-menu when not empty
  bool separator() const { return command == 0 && items.empty(); }
};

using TextLookup = std::function<std::string(const settings::TextId&)>;

std::vector<MenuItem> BuildViewMenu(const ViewMenuState& state, const TextLookup& text);

}  // namespace app::view
