#pragma once
// Keeps one root folder of plan recordings within its limits, on a thread
// of its own ("retention"): a pass at start and every few minutes, and the
// disk's free space looked at every few seconds in between; a disk under
// its floor gets a pass at once. When a pass leaves the disk under its
// floor with nothing more it may delete (all kept, open or locked), the
// disk guard stops the plans; they resume by themselves once the disk has
// its floor again and a little more (5 % of the floor), so they do not
// stop and start at every file.
//
// Threads: Configure, SetKeep, Start and Stop from the owner's thread (the
// window thread); RunPass and CheckSpace on the retention thread, or on the
// caller's when no thread runs (tests, halyard-cli retention); the guard and
// the last report from any thread. One pass at a time (pass_lock_). The
// event log only queues.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "node/storage/keep_list.h"
#include "node/storage/retention.h"
#include "node/storage/retention_limits.h"

namespace node {

class EventLog;
class StorageFileSystem;

// Whether plan recordings must stop because a disk is full; read by every
// PlanRecorder of the root at each tick.
class DiskGuard {
 public:
  bool Stopped(std::string* why = nullptr) const;
  // Grows with every change, so a reader sees a stop and a resume between two looks.
  uint64_t Changes() const;
  void Set(bool stopped, const std::string& why);

 private:
  mutable std::mutex lock_;
  bool stopped_ = false;
  std::string why_;
  uint64_t changes_ = 0;
};

class RetentionService {
 public:
  using Clock = std::function<int64_t()>;  // wall-clock seconds
  static constexpr int kPassIntervalS = 300;
  static constexpr int kCheckIntervalS = 10;
  // A disk under its floor with nothing to delete is not scanned again sooner.
  static constexpr int kMinPassGapS = 30;

  // `log` may be null. `clock` gives the files' age; the real one by default.
  RetentionService(StorageFileSystem& fs, EventLog* log, Clock clock = {});
  ~RetentionService();  // stops the thread
  RetentionService(const RetentionService&) = delete;
  RetentionService& operator=(const RetentionService&) = delete;

  // The root and its limits; reads the root's keep list. A running thread
  // makes a pass with them at once.
  void Configure(const std::string& root, const RetentionLimits& limits);
  // Files this program writes besides those with a journal (the open
  // recordings list is asked by default). Set before Start.
  void SetOpenCheck(std::function<bool(const std::string& path)> is_open);
  void SetIntervals(int pass_seconds, int check_seconds);
  void Start();
  void Stop();

  // One pass now. A dry run deletes nothing, writes no event and leaves the guard.
  RetentionReport RunPass(bool dry_run = false);
  // The free space alone: resumes the plans when room came back. True when
  // the disk is under its floor (a pass is due).
  bool CheckSpace();

  const DiskGuard& guard() const { return guard_; }
  // Marks a recording (its path, or its path from the root) "Keep" or not, and saves the list.
  bool SetKeep(const std::string& recording, bool keep);
  bool IsKept(const std::string& recording) const;
  // The last pass's report (not a dry run's): the storage page's figures.
  RetentionReport LastReport() const;
  std::string Root() const;
  RetentionLimits Limits() const;

 private:
  void Loop();
  // The guard after a pass (`nothing_to_delete`: it left the disk under its
  // floor) or a look at the free space. pass_lock_ held.
  void UpdateGuard(bool nothing_to_delete, uint64_t free, uint64_t floor);
  std::string RelativeToRoot(const std::string& recording) const;

  StorageFileSystem& fs_;
  EventLog* const log_;
  const Clock clock_;
  DiskGuard guard_;
  KeepList keep_;

  mutable std::mutex config_lock_;
  std::string root_;
  RetentionLimits limits_;
  std::function<bool(const std::string&)> is_open_;
  int pass_interval_s_ = kPassIntervalS;
  int check_interval_s_ = kCheckIntervalS;
  RetentionReport last_report_;  // under config_lock_

  std::mutex pass_lock_;  // one pass or look at a time

  std::mutex wake_lock_;
  std::condition_variable wake_;
  bool stopping_ = false;  // under wake_lock_
  bool pass_now_ = false;  // under wake_lock_
  std::thread thread_;
};

}  // namespace node
