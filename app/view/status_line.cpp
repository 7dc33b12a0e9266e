#include "app/view/status_line.h"

#include "app/view/view_texts.h"
#include "settings/message_format.h"

namespace app::view {

StatusLine MakeStatusLine(const StatusState& s, const TextLookup& text) {
  StatusLine line;
  if (s.connect_status == 2) line.picture = StatusPicture::kCannotConnect;
  if (s.connect_status == 3) line.picture = StatusPicture::kLoginRefused;
  if (s.next_attempt_ms > s.now_ms) {
    // Whole seconds still to wait, rounded up: the last second shows 1, not 0.
    const long long seconds = static_cast<long long>((s.next_attempt_ms - s.now_ms + 999) / 1000);
    line.text = s.attempt > 0
                    ? settings::FormatUserMessage(text(kViewerReconnectAttempt), {static_cast<long long>(s.attempt), seconds})
                    : settings::FormatUserMessage(text(kViewerReconnectWait), {seconds});
  } else if (line.picture == StatusPicture::kLoginRefused) {
    line.text = text(kViewerLoginRefused);
  } else if (s.connect_status == 4) {
    line.text = text(kViewerNotFound);
  } else if (s.connecting && !s.camera_known) {
    line.text = text(line.picture == StatusPicture::kCannotConnect ? kViewerCannotConnect : kViewerConnecting);
  } else if (!s.recording_failure.empty()) {
    line.text = s.recording_failure;
  } else if (s.end_of_file) {
    line.text = "End of File";
  } else if (line.picture == StatusPicture::kCannotConnect) {
    line.text = text(kViewerCannotConnect);
  } else {
    line.text = s.rate;
  }
  return line;
}

}  // namespace app::view
