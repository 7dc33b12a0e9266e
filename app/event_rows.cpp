#include "app/event_rows.h"

namespace app {

std::vector<EventRow> EventRows(const std::vector<node::EventEntry>& newest_first) {
  std::vector<EventRow> rows;
  rows.reserve(newest_first.size());
  for (const node::EventEntry& e : newest_first) {
    std::string text = e.text;
    if (e.count > 1) text += " (" + std::to_string(e.count) + " times)";
    rows.push_back({node::ClockText(e.last_time), e.camera, std::move(text), e.serial});
  }
  return rows;
}

std::vector<node::EventEntry> Filtered(const std::vector<node::EventEntry>& entries, const EventFilter& filter) {
  if (filter.all) return entries;
  std::vector<node::EventEntry> kept;
  for (const node::EventEntry& e : entries)
    if (e.camera == filter.camera) kept.push_back(e);
  return kept;
}

EventFilter FilterAt(const std::vector<std::string>& listed, int index) {
  if (index <= 0 || static_cast<size_t>(index) > listed.size()) return {};
  return {false, listed[static_cast<size_t>(index - 1)]};
}

int IndexOf(const std::vector<std::string>& listed, const EventFilter& filter) {
  if (filter.all) return 0;
  for (size_t i = 0; i < listed.size(); ++i)
    if (listed[i] == filter.camera) return static_cast<int>(i + 1);
  return 0;
}

std::string ClipboardText(const std::vector<EventRow>& rows) {
  std::string text;
  for (const EventRow& r : rows) text += r.time + "\t" + r.camera + "\t" + r.text + "\r\n";
  return text;
}

}  // namespace app
