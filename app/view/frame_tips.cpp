#include "app/view/frame_tips.h"

#include "settings/message_format.h"

namespace app::view {

FrameTips MakeFrameTips(const FrameTipState& s, const TextLookup& text) {
  FrameTips tips;
  tips.sound = text(s.sound_on ? kTipSoundOn : kTipSoundOff);
  if (!s.speaker_allowed)
    tips.speaker = text(kTipSpeakerNone);
  else
    tips.speaker = text(s.speaker_on ? kTipSpeakerOn : kTipSpeakerOff);
  tips.record = s.recording ? settings::FormatUserMessage(text(kTipRecordOn), {s.recording_path}) : text(kTipRecordOff);
  tips.seek = text(kTipSeek);
  tips.close = text(kTipClose);
  return tips;
}

}  // namespace app::view
