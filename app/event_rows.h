#pragma once
// What the Event Log window lists: one row per entry, newest first, time,
// camera and text; and the same rows as text for the clipboard.
#include <string>
#include <vector>

#include "node/event_log.h"

namespace app {

struct EventRow {
  std::string time;    // "HH:MM:SS" of the latest occurrence
  std::string camera;
  std::string text;    // with "(N times)" once the event repeated
};

std::vector<EventRow> EventRows(const std::vector<node::EventEntry>& newest_first);
// One line per row, "TIME<TAB>CAMERA<TAB>TEXT", CRLF after each.
std::string ClipboardText(const std::vector<EventRow>& rows);

}  // namespace app
