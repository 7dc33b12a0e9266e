#pragma once
// What the view's status line shows: a picture for a connection that
// failed (2) or a login that was refused (3), "Camera or file not found"
// while the server has none (4) and the view asks again, the seconds to the next
// connect attempt (and its number, while the view keeps reconnecting)
// while a direct view waits between attempts, "End of
// File" for a finished stored file, else the rate text "%d fps, %d kbps".
#include <cstdint>
#include <string>

#include "app/view/view_menu.h"

namespace app::view {

enum class StatusPicture { kNone, kCannotConnect, kLoginRefused };

struct StatusState {
  int connect_status = 0;       // the node's: 2 cannot connect, 3 login refused, 4 not found
  bool camera_known = false;
  bool connecting = false;      // a direct view's connect attempt is running
  uint64_t now_ms = 0;
  uint64_t next_attempt_ms = 0; // 0: not waiting for another attempt
  bool end_of_file = false;
  std::string rate;             // the node's "%d fps, %d kbps"
  std::string recording_failure; // why the last recording stopped; empty: nothing to tell
  int attempt = 0;              // kept reconnecting: the number of the next attempt; 0: not shown
};

struct StatusLine {
  StatusPicture picture = StatusPicture::kNone;
  std::string text;
  bool operator==(const StatusLine&) const = default;
};

StatusLine MakeStatusLine(const StatusState& state, const TextLookup& text);

}  // namespace app::view
