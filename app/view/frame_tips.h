#pragma once
// The tooltips of the frame's caption buttons: each names what the button
// does and where it stands now ("Sound: on", "Speaker: off", "Recording to
// D:\rec\gate.mp4"), so the one-letter captions need no guessing. Texts come
// from the settings file like every other.
#include <string>

#include "app/view/view_menu.h"
#include "settings/text_table.h"

namespace app::view {

inline constexpr settings::TextId kTipSoundOn{"VIEWER_TIP", "SOUND_ON", "Sound: on"};
inline constexpr settings::TextId kTipSoundOff{"VIEWER_TIP", "SOUND_OFF", "Sound: off"};
inline constexpr settings::TextId kTipSpeakerOn{"VIEWER_TIP", "SPEAKER_ON", "Speaker: on"};
inline constexpr settings::TextId kTipSpeakerOff{"VIEWER_TIP", "SPEAKER_OFF", "Speaker: off"};
// Through the hosting server no speaker channel can be opened.
inline constexpr settings::TextId kTipSpeakerNone{"VIEWER_TIP", "SPEAKER_NONE", "Speaker: not through the hosting server"};
inline constexpr settings::TextId kTipRecordOn{"VIEWER_TIP", "RECORD_ON", "Recording to %s"};
inline constexpr settings::TextId kTipRecordOff{"VIEWER_TIP", "RECORD_OFF", "Recording: off"};
inline constexpr settings::TextId kTipSeek{"VIEWER_TIP", "RANDOM_ACCESS", "Seek in the file"};
inline constexpr settings::TextId kTipClose{"VIEWER_TIP", "CLOSE", "Close this view"};

struct FrameTipState {
  bool sound_on = false;
  bool speaker_on = false;
  bool speaker_allowed = true;
  bool recording = false;
  std::string recording_path;
};

struct FrameTips {
  std::string sound, speaker, record, seek, close;
  bool operator==(const FrameTips&) const = default;
};

FrameTips MakeFrameTips(const FrameTipState& state, const TextLookup& text);

}  // namespace app::view
