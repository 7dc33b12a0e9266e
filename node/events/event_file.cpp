#include "node/events/event_file.h"

#include <filesystem>
#include <fstream>

#include "os/thread_name.h"

namespace node {
namespace {

namespace fs = std::filesystem;

// Our texts are UTF-8; a plain std::string path would be read in the
// system's code page on Windows.
fs::path Utf8Path(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

constexpr char kPrefix[] = "events-";
constexpr char kSuffix[] = ".log";

}  // namespace

EventFileWriter::EventFileWriter(std::string folder, int kept_days)
    : folder_(std::move(folder)), kept_days_(kept_days < 1 ? 1 : kept_days), thread_([this] {
        os::NameCurrentThread("event file");
        Run();
      }) {}

EventFileWriter::~EventFileWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

std::string EventFileWriter::FileName(int64_t seconds) { return kPrefix + DateStamp(seconds) + kSuffix; }

std::string EventFileWriter::FileLine(const EventEntry& entry) {
  std::string line = ClockText(entry.last_time) + "\t" + entry.camera + "\t" + entry.text;
  if (entry.count > 1) line += " (" + std::to_string(entry.count) + " times)";
  return line;
}

void EventFileWriter::OnEvent(const EventEntry& entry) {
  if (!WorthALine(entry)) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.size() >= kQueueLimit) {
      ++dropped_;
      return;
    }
    queue_.push_back({entry.last_time, FileLine(entry)});
  }
  wake_.notify_one();
}

void EventFileWriter::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  written_.wait(lock, [&] { return queue_.empty() && !writing_; });
}

void EventFileWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty() && stopping_) break;
    Line line = std::move(queue_.front());
    queue_.pop_front();
    size_t dropped = dropped_;
    dropped_ = 0;
    writing_ = true;
    lock.unlock();
    if (dropped > 0) Write({line.time, ClockText(line.time) + "\t\t" + std::to_string(dropped) + " events not written"});
    Write(line);
    lock.lock();
    writing_ = false;
    written_.notify_all();
  }
}

void EventFileWriter::Write(const Line& line) {
  Prune(line.time);
  std::error_code error;
  fs::create_directories(Utf8Path(folder_), error);
  // Opened for each line: the day's file may change between two, and a
  // file left open would stop the user from deleting old logs.
  std::ofstream file(Utf8Path(folder_ + FileName(line.time)), std::ios::binary | std::ios::app);
  if (!file) return;
  file << line.text << "\r\n";
}

// Deletes the event files of days before the last `kept_days_`, once a day.
void EventFileWriter::Prune(int64_t now) {
  const std::string today = DateStamp(now);
  if (today == pruned_on_) return;
  pruned_on_ = today;
  const std::string oldest_kept = kPrefix + DateStamp(now - int64_t{kept_days_ - 1} * 86400) + kSuffix;
  std::error_code error;
  for (fs::directory_iterator it(Utf8Path(folder_), error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const bool ours = name.size() == oldest_kept.size() && name.rfind(kPrefix, 0) == 0 &&
                      name.compare(name.size() - 4, 4, kSuffix) == 0;
    if (ours && name < oldest_kept) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
    }
  }
}

}  // namespace node
