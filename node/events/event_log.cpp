#include "node/events/event_log.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "os/local_time.h"

namespace node {

EventLog::EventLog(size_t capacity, Clock clock)
    : capacity_(std::max<size_t>(capacity, 1)), clock_(clock ? std::move(clock) : Clock(os::WallSeconds)) {}

std::deque<EventEntry>::iterator EventLog::FindRepeat(EventKind kind, const std::string& camera,
                                                      const std::string& text, int64_t now) {
  // Attempt texts carry their number: every attempt of one outage is one entry.
  const bool any_text = kind == EventKind::kReconnectAttempt;
  size_t looked = 0;
  for (auto it = entries_.end(); it != entries_.begin() && looked < kRepeatSearch; ++looked) {
    --it;
    if (now - it->last_time > kRepeatWindowS) break;  // entries_ is in the order of last_time
    if (it->kind == kind && it->camera == camera && (any_text || it->text == text)) return it;
  }
  return entries_.end();
}

void EventLog::Add(EventKind kind, const std::string& camera, const std::string& text) {
  const int64_t now = clock_();
  // Taken first and held to the end: two threads adding at once must tell
  // the listeners in the order their entries got (the file's lines, the window).
  std::lock_guard<std::mutex> listeners_lock(listener_mutex_);
  EventEntry told;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto repeat = FindRepeat(kind, camera, text, now);
    if (repeat != entries_.end()) {
      EventEntry entry = std::move(*repeat);
      entries_.erase(repeat);
      entry.last_time = now;
      entry.text = text;
      ++entry.count;
      entries_.push_back(std::move(entry));
    } else {
      entries_.push_back({++serial_, now, now, kind, camera, text, 1});
      if (entries_.size() > capacity_) entries_.pop_front();
    }
    told = entries_.back();
    ++changes_;
  }
  for (EventListener* listener : listeners_) listener->OnEvent(told);
}

std::vector<EventEntry> EventLog::Entries(const std::string& camera) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<EventEntry> result;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (camera.empty() || it->camera == camera) result.push_back(*it);
  return result;
}

std::vector<std::string> EventLog::Cameras() const {
  std::set<std::string> names;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& e : entries_) names.insert(e.camera);
  }
  return {names.begin(), names.end()};
}

void EventLog::AddListener(EventListener* listener) {
  std::lock_guard<std::mutex> lock(listener_mutex_);
  listeners_.push_back(listener);
}

void EventLog::RemoveListener(EventListener* listener) {
  std::lock_guard<std::mutex> lock(listener_mutex_);
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

bool WorthALine(const EventEntry& entry) {
  if (entry.count <= 3) return true;
  uint32_t n = entry.count;
  while (n % 10 == 0) n /= 10;
  return n == 1;
}

std::string ClockText(int64_t seconds) {
  const os::CalendarTime t = os::ToCalendarTime(seconds);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

std::string DateStamp(int64_t seconds) {
  const os::CalendarTime t = os::ToCalendarTime(seconds);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", t.year % 10000, t.month, t.day);
  return text;
}

std::string EventLine(const EventEntry& entry) {
  std::string line = ClockText(entry.last_time) + " " + (entry.camera.empty() ? "-" : entry.camera) + " " + entry.text;
  if (entry.count > 1) line += " (" + std::to_string(entry.count) + " times)";
  return line;
}

std::string DurationText(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  if (seconds < 60) return std::to_string(seconds) + " s";
  if (seconds < 3600) return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
  return std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) + " min";
}

}  // namespace node
