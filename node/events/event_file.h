#pragma once
// EventFileWriter: appends each event line to a daily text file
// (events-YYYYMMDD.log, UTF-8) in one folder and deletes the files older
// than the days kept. OnEvent only queues (the receive thread may call
// it); the writer's own thread does every disk access.
//
// Threads: queue_, dropped_ and stopping_ guarded by mutex_; the file and
// the day last pruned belong to the writer thread.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "node/events/event_log.h"

namespace node {

class EventFileWriter : public EventListener {
 public:
  static constexpr int kKeptDays = 30;
  static constexpr size_t kQueueLimit = 4096;  // lines waiting for a slow disk

  // `folder` ends with a path separator; it is created when missing.
  explicit EventFileWriter(std::string folder, int kept_days = kKeptDays);
  ~EventFileWriter() override;  // writes what is queued, then ends
  EventFileWriter(const EventFileWriter&) = delete;
  EventFileWriter& operator=(const EventFileWriter&) = delete;

  void OnEvent(const EventEntry& entry) override;
  // Waits until every line queued so far is written (tests, shut-down).
  void Flush();

  static std::string FileName(int64_t seconds);  // "events-YYYYMMDD.log"
  // "HH:MM:SS<TAB>CAMERA<TAB>TEXT", with the count once the event repeated.
  static std::string FileLine(const EventEntry& entry);

 private:
  struct Line {
    int64_t time;
    std::string text;
  };
  void Run();
  void Write(const Line& line);
  void Prune(int64_t now);

  const std::string folder_;
  const int kept_days_;
  std::mutex mutex_;
  std::condition_variable wake_, written_;
  std::deque<Line> queue_;
  size_t dropped_ = 0;
  bool writing_ = false;
  bool stopping_ = false;
  std::string pruned_on_;  // writer thread only: the day whose old files were deleted
  std::thread thread_;
};

}  // namespace node
