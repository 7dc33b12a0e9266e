#pragma once
// One retention pass over a root folder of plan recordings: the oldest
// whole files go first, across all cameras, until the root keeps within
// its limits (retention_limits.h). Never deleted: a file being written (its
// journal beside it, or open in this program), one another program holds,
// one marked "Keep". Day folders left empty are removed (not today's, which
// a recorder may be about to fill). Each camera whose files went gets one
// event line per pass and reason:
//   "Deleted 12 recordings of CAM-1 from 2026-11-01 00:00 to 2026-11-01 12:00, 3.1 GB, to keep 20 GB free"
// with the reason "to keep 20 GB free", "to keep at most 500 GB", "to keep
// at most 30 days" or "to keep motion recordings at most 90 days".
//
// Only files named as recordings ("CAMERA_yyyyMMdd_HHmmss[_motion][-N].mp4")
// in ROOT/CAMERA/YYYY-MM-DD/ are counted and deleted; anything else in the
// root is left alone. A file's age is its modification time: when its
// footage ended.
//
// Threads: RunRetentionPass runs on the caller's thread (the retention
// thread, or halyard-cli's); it touches only what the request names.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "node/storage/retention_limits.h"

namespace node {

class KeepList;
class StorageFileSystem;

enum class DeleteReason : uint8_t { kDays, kMotionDays, kSize, kFree };

struct RetentionRequest {
  StorageFileSystem* fs = nullptr;
  std::string root;
  RetentionLimits limits;
  const KeepList* keep = nullptr;  // null: nothing kept
  // Whether this program writes the file now (absolute path); null: none.
  std::function<bool(const std::string& path)> is_open;
  int64_t now = 0;       // wall-clock seconds
  bool dry_run = false;  // say what would go, delete nothing
};

struct DeletedRecording {
  std::string path;
  std::string camera;
  uint64_t size = 0;
  int64_t modified = 0;
  DeleteReason reason = DeleteReason::kFree;
};

// What a root holds per camera after the pass, for the storage page.
struct CameraUsage {
  std::string camera;
  uint64_t bytes = 0;
  size_t files = 0;
  int64_t oldest = 0;  // modification time of its oldest recording
  int64_t newest = 0;
};

struct RetentionReport {
  bool scanned = false;             // the root could be listed
  std::vector<DeletedRecording> deleted;  // oldest first (a dry run: what would go)
  struct Event {
    std::string camera;  // its folder's name
    std::string text;
  };
  std::vector<Event> events;        // the event lines, one per camera and reason
  size_t failed = 0;                // deletions the file system refused
  size_t passed_over = 0;           // files due to go but kept, open, being written or locked
  bool keep_list_broken = false;    // the keep list could not be read: nothing was deleted
  std::vector<CameraUsage> cameras; // by name
  size_t files = 0;                 // recordings left
  uint64_t recorded_bytes = 0;      // their size
  uint64_t free_bytes = 0, capacity_bytes = 0, floor_bytes = 0;
  bool space_known = false;
  // Free space stays under the floor although the pass deleted what it may.
  bool UnderFloor() const { return space_known && free_bytes < floor_bytes; }
};

RetentionReport RunRetentionPass(const RetentionRequest& request);

// "to keep 20 GB free" and the others, for `limits` on a disk of `capacity`.
std::string ReasonText(DeleteReason reason, const RetentionLimits& limits, uint64_t capacity);
// How many days of footage the root holds at the rate it is recorded (its
// bytes over the days between its oldest and newest recording), in what it
// has and the free space above the floor, within its limits; -1 when too
// little is known yet.
double DaysOfFootage(const RetentionReport& report, const RetentionLimits& limits);

}  // namespace node
