#pragma once
// What the Event Log window lists: one row per entry, newest first, time,
// camera and text; and the same rows as text for the clipboard.
#include <cstdint>
#include <string>
#include <vector>

#include "node/events/event_log.h"

namespace app {

struct EventRow {
  std::string time;    // "HH:MM:SS" of the latest occurrence
  std::string camera;
  std::string text;    // with "(N times)" once the event repeated
  uint64_t serial = 0;  // the entry's, so a row keeps its selection when the list is read again
};

std::vector<EventRow> EventRows(const std::vector<node::EventEntry>& newest_first);

// The camera filter: every camera, or one of them. The entries without a
// camera (the hosting connection's) are one of them too, listed as "-".
struct EventFilter {
  bool all = true;
  std::string camera;
};
// The entries the filter lets through, in their order.
std::vector<node::EventEntry> Filtered(const std::vector<node::EventEntry>& entries, const EventFilter& filter);
// The filter chosen at `index` of a drop-down that lists "All cameras" and
// then `listed`: the list as shown, not as the log has it since.
EventFilter FilterAt(const std::vector<std::string>& listed, int index);
// Where `filter` stands in that drop-down; 0 when its camera is no longer listed.
int IndexOf(const std::vector<std::string>& listed, const EventFilter& filter);
// One line per row, "TIME<TAB>CAMERA<TAB>TEXT", CRLF after each.
std::string ClipboardText(const std::vector<EventRow>& rows);

}  // namespace app
