#include "app/event_rows.h"

namespace app {

std::vector<EventRow> EventRows(const std::vector<node::EventEntry>& newest_first) {
  std::vector<EventRow> rows;
  rows.reserve(newest_first.size());
  for (const node::EventEntry& e : newest_first) {
    std::string text = e.text;
    if (e.count > 1) text += " (" + std::to_string(e.count) + " times)";
    rows.push_back({node::ClockText(e.last_time), e.camera, std::move(text)});
  }
  return rows;
}

std::string ClipboardText(const std::vector<EventRow>& rows) {
  std::string text;
  for (const EventRow& r : rows) text += r.time + "\t" + r.camera + "\t" + r.text + "\r\n";
  return text;
}

}  // namespace app
