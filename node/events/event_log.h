#pragma once
// EventLog: what happened to every view and to the hosting connection, for
// the Event Log window, the daily event file and the command line.
//
// Threads: Add is called from any thread (the receive thread too, so it
// only records and hands the entry to the listeners, which queue or post
// and return); Entries, Cameras and Changes from any thread. entries_ and
// serial_ are guarded by mutex_; listeners_ and their calls by
// listener_mutex_, which keeps the calls in the order of the entries.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace node {

enum class EventKind : uint8_t {
  kConnected,
  kLoginRefused,
  kLinkLost,
  kReconnectAttempt,
  kGaveUp,
  kStalled,
  kResumed,
  kCameraNotice,
  kCameraAlarm,
  kRecordingStarted,
  kRecordingStopped,
  kRecordingRolledOver,
  kRecordingFailed,
  kRecordingsRepaired,
  kMotion,
  kNotFound,  // the server has no such camera or file
  kRecordingsDeleted,  // retention deleted old recordings
  kDiskSpace,          // a disk fell under its free-space floor with nothing to delete, or space came back
  kDrawing,            // views draw without DirectDraw, whose pictures were much slower
};

struct EventEntry {
  uint64_t serial = 0;     // one more for every new entry
  int64_t first_time = 0;  // wall-clock seconds of the first occurrence
  int64_t last_time = 0;   // and of the latest repetition
  EventKind kind = EventKind::kConnected;
  std::string camera;      // the view's camera, or the hosting server's name
  std::string text;        // of the latest occurrence
  uint32_t count = 1;      // occurrences counted into this entry
};

// Told of every new entry and every repetition; must return quickly and
// must not call back into the log.
class EventListener {
 public:
  virtual ~EventListener() = default;
  virtual void OnEvent(const EventEntry& entry) = 0;
};

class EventLog {
 public:
  using Clock = std::function<int64_t()>;
  static constexpr size_t kDefaultCapacity = 2000;
  // An event like one of the same camera within this many seconds is
  // counted into that entry: a flapping camera adds counts, not lines.
  static constexpr int64_t kRepeatWindowS = 120;
  // How far back a repetition is looked for.
  static constexpr size_t kRepeatSearch = 64;

  explicit EventLog(size_t capacity = kDefaultCapacity, Clock clock = {});
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  void Add(EventKind kind, const std::string& camera, const std::string& text);
  // Newest first; only `camera`'s when it is not empty.
  std::vector<EventEntry> Entries(const std::string& camera = {}) const;
  // Every camera with an entry, sorted.
  std::vector<std::string> Cameras() const;
  // Grows with every new entry or repetition: a window redraws when it moved.
  uint64_t Changes() const { return changes_; }

  void AddListener(EventListener* listener);
  void RemoveListener(EventListener* listener);

 private:
  // The entry a new event repeats, or entries_.end().
  std::deque<EventEntry>::iterator FindRepeat(EventKind kind, const std::string& camera, const std::string& text,
                                              int64_t now);

  const size_t capacity_;
  Clock clock_;
  mutable std::mutex mutex_;
  std::deque<EventEntry> entries_;  // oldest first; a repetition moves its entry to the back
  uint64_t serial_ = 0;
  std::atomic<uint64_t> changes_{0};
  std::mutex listener_mutex_;
  std::vector<EventListener*> listeners_;
};

// Whether a listener that writes lines tells this occurrence: the first
// three, then the 10th, 100th, ... so a camera down for a day writes a few
// lines, not thousands.
bool WorthALine(const EventEntry& entry);

// "HH:MM:SS" and "YYYYMMDD" of wall-clock seconds, local time.
std::string ClockText(int64_t seconds);
std::string DateStamp(int64_t seconds);
// "HH:MM:SS CAMERA TEXT", with " (N times)" once the event repeated.
std::string EventLine(const EventEntry& entry);
// How long an outage lasted, for the resumed event: "45 s", "3 min 5 s", "2 h 4 min".
std::string DurationText(int64_t seconds);

}  // namespace node
