#include "node/storage/retention_service.h"

#include <chrono>
#include <set>

#include "node/events/event_log.h"
#include "node/storage/storage_fs.h"
#include "node/storage/storage_layout.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "os/file.h"
#include "os/local_time.h"
#include "os/thread_name.h"
#include "record/open_recordings.h"

namespace node {

bool DiskGuard::Stopped(std::string* why) const {
  std::lock_guard<std::mutex> lock(lock_);
  if (why) *why = why_;
  return stopped_;
}

uint64_t DiskGuard::Changes() const {
  std::lock_guard<std::mutex> lock(lock_);
  return changes_;
}

void DiskGuard::Set(bool stopped, const std::string& why) {
  std::lock_guard<std::mutex> lock(lock_);
  if (stopped == stopped_ && why == why_) return;
  stopped_ = stopped;
  why_ = why;
  ++changes_;
}

RetentionService::RetentionService(StorageFileSystem& fs, EventLog* log, Clock clock)
    : fs_(fs), log_(log), clock_(clock ? std::move(clock) : Clock(os::WallSeconds)) {}

RetentionService::~RetentionService() { Stop(); }

void RetentionService::Configure(const std::string& root, const RetentionLimits& limits) {
  keep_.Load(fs_, root);
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    root_ = root;
    limits_ = limits;
  }
  {
    std::lock_guard<std::mutex> lock(wake_lock_);
    pass_now_ = true;
  }
  wake_.notify_one();
}

void RetentionService::SetOpenCheck(std::function<bool(const std::string&)> is_open) {
  std::lock_guard<std::mutex> lock(config_lock_);
  is_open_ = std::move(is_open);
}

void RetentionService::SetIntervals(int pass_seconds, int check_seconds) {
  std::lock_guard<std::mutex> lock(config_lock_);
  pass_interval_s_ = pass_seconds > 0 ? pass_seconds : kPassIntervalS;
  check_interval_s_ = check_seconds > 0 ? check_seconds : kCheckIntervalS;
}

std::string RetentionService::Root() const {
  std::lock_guard<std::mutex> lock(config_lock_);
  return root_;
}

RetentionLimits RetentionService::Limits() const {
  std::lock_guard<std::mutex> lock(config_lock_);
  return limits_;
}

RetentionReport RetentionService::LastReport() const {
  std::lock_guard<std::mutex> lock(config_lock_);
  return last_report_;
}

RetentionReport RetentionService::RunPass(bool dry_run) {
  std::lock_guard<std::mutex> pass(pass_lock_);
  RetentionRequest request;
  std::function<bool(const std::string&)> extraOpen;
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    request.root = root_;
    request.limits = limits_;
    extraOpen = is_open_;
  }
  if (request.root.empty()) return RetentionReport();
  // What this program writes, as the open recordings list names it (absolute).
  std::set<std::string> open;
  if (const record::OpenRecordingList* list = record::CurrentOpenRecordingList())
    for (const std::string& path : list->Paths()) open.insert(path);
  request.fs = &fs_;
  request.keep = &keep_;
  request.is_open = [&](const std::string& path) {
    return (!open.empty() && open.count(os::AbsolutePath(path)) > 0) || (extraOpen && extraOpen(path));
  };
  request.now = clock_();
  request.dry_run = dry_run;
  RetentionReport report = RunRetentionPass(request);
  if (!dry_run)
    DebugLog("Retention : pass over %s: %s, %llu recordings, %llu deleted, %llu passed over, %llu failed\n",
             request.root.c_str(), report.scanned ? "listed" : "cannot be listed",
             static_cast<unsigned long long>(report.files), static_cast<unsigned long long>(report.deleted.size()),
             static_cast<unsigned long long>(report.passed_over), static_cast<unsigned long long>(report.failed));
  if (dry_run || !report.scanned) return report;
  for (const RetentionReport::Event& event : report.events) {
    if (log_) log_->Add(EventKind::kRecordingsDeleted, event.camera, event.text);
    DebugLog("Retention : %s\n", event.text.c_str());
  }
  UpdateGuard(report.UnderFloor(), report.free_bytes, report.floor_bytes);
  std::lock_guard<std::mutex> lock(config_lock_);
  last_report_ = report;
  return report;
}

bool RetentionService::CheckSpace() {
  std::lock_guard<std::mutex> pass(pass_lock_);
  std::string root;
  RetentionLimits limits;
  {
    std::lock_guard<std::mutex> lock(config_lock_);
    root = root_;
    limits = limits_;
  }
  uint64_t free = 0, capacity = 0;
  if (root.empty() || !fs_.Space(root, &free, &capacity)) return false;
  const uint64_t floor = limits.FloorBytes(capacity);
  // Only a pass can tell that nothing may be deleted: a look only resumes.
  UpdateGuard(false, free, floor);
  return free < floor;
}

void RetentionService::UpdateGuard(bool nothing_to_delete, uint64_t free, uint64_t floor) {
  const std::string root = Root();
  const bool stopped = guard_.Stopped();
  if (!stopped && nothing_to_delete) {
    const std::string why = "the disk of " + root + " has " + AmountText(free) + " free, under the " +
                            LimitText(floor) + " it keeps free, and no recording there may be deleted";
    guard_.Set(true, why);
    if (log_) log_->Add(EventKind::kDiskSpace, root, "Disk full: " + why + "; recording plans stop");
    DebugLog("Retention : disk full: %s\n", why.c_str());
  } else if (stopped && free >= floor + floor / 20) {
    guard_.Set(false, std::string());
    const std::string text = "Room again: the disk of " + root + " has " + AmountText(free) + " free; recording plans resume";
    if (log_) log_->Add(EventKind::kDiskSpace, root, text);
    DebugLog("Retention : %s\n", text.c_str());
  }
}

std::string RetentionService::RelativeToRoot(const std::string& recording) const {
  const std::string root = os::AbsolutePath(Root());
  const std::string path = os::AbsolutePath(recording);
  if (path.size() > root.size() + 1 && path.compare(0, root.size(), root) == 0 &&
      (path[root.size()] == '/' || path[root.size()] == '\\'))
    return path.substr(root.size() + 1);
  return recording;
}

bool RetentionService::SetKeep(const std::string& recording, bool keep) {
  return keep_.Set(fs_, Root(), RelativeToRoot(recording), keep);
}

bool RetentionService::IsKept(const std::string& recording) const { return keep_.IsKept(RelativeToRoot(recording)); }

void RetentionService::Start() {
  if (thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(wake_lock_);
    stopping_ = false;
  }
  thread_ = std::thread([this] {
    os::NameCurrentThread("retention");
    Loop();
  });
}

void RetentionService::Stop() {
  {
    std::lock_guard<std::mutex> lock(wake_lock_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void RetentionService::Loop() {
  uint64_t nextPass = os::MonotonicMs();
  uint64_t nextCheck = nextPass;
  uint64_t lastPass = 0;
  for (;;) {
    int passS, checkS;
    {
      std::lock_guard<std::mutex> lock(config_lock_);
      passS = pass_interval_s_;
      checkS = check_interval_s_;
    }
    uint64_t now = os::MonotonicMs();
    if (now >= nextPass) {
      RunPass();
      lastPass = os::MonotonicMs();
      nextPass = lastPass + uint64_t(passS) * 1000;
      nextCheck = lastPass + uint64_t(checkS) * 1000;
    } else if (now >= nextCheck) {
      nextCheck = now + uint64_t(checkS) * 1000;
      // Under the floor: a pass now, unless one just found nothing to delete.
      if (CheckSpace() && now >= lastPass + uint64_t(kMinPassGapS) * 1000) nextPass = now;
    }
    now = os::MonotonicMs();
    const uint64_t due = std::min(nextPass, nextCheck);
    std::unique_lock<std::mutex> lock(wake_lock_);
    if (due > now)
      wake_.wait_for(lock, std::chrono::milliseconds(due - now), [this] { return stopping_ || pass_now_; });
    if (stopping_) return;
    if (pass_now_) {
      pass_now_ = false;
      nextPass = os::MonotonicMs();
    }
  }
}

}  // namespace node
