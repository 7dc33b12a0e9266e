#include "node/storage/retention.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <unordered_set>

#include "node/storage/keep_list.h"
#include "node/storage/storage_fs.h"
#include "node/storage/storage_layout.h"
#include "os/local_time.h"
#include "record/recording_journal.h"

namespace node {

namespace {

constexpr int64_t kDaySeconds = 86400;

struct Recording {
  std::string path;
  std::string relative;  // from the root, '/' between folders
  size_t camera = 0;     // into the camera names
  size_t day = 0;        // into the day folders
  uint64_t size = 0;
  int64_t modified = 0;
  bool motion = false;
  bool journaled = false;
  std::string start;     // "YYYY-MM-DD HH:MM" from its name
};

struct DayDir {
  std::string path;
  int number = 0;        // yyyymmdd
  size_t entries = 0;    // of any kind, before the pass
  size_t removed = 0;
};

// One camera's deletions for one reason, for its event line.
struct Summary {
  size_t camera = 0;
  DeleteReason reason = DeleteReason::kFree;
  size_t count = 0;
  uint64_t bytes = 0;
  std::string from;       // the first deleted file's start
  int64_t to = 0;         // the last one's end
};

std::string StartText(const StoredName& name) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", name.year, name.month, name.day, name.hour,
                name.minute);
  return text;
}

std::string MinuteText(int64_t seconds) {
  return os::FormatLocalTime("%Y-%m-%d %H:%M", static_cast<std::time_t>(seconds));
}

// Lists ROOT/CAMERA/YYYY-MM-DD/ into `recordings`.
bool Scan(StorageFileSystem& fs, const std::string& root, std::vector<std::string>* cameras,
          std::vector<DayDir>* days, std::vector<Recording>* recordings) {
  std::vector<StorageFileSystem::Entry> top, inCamera, inDay;
  if (!fs.List(root, &top)) return false;
  std::sort(top.begin(), top.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  std::unordered_set<std::string> journals;
  for (const auto& cameraEntry : top) {
    if (!cameraEntry.folder || cameraEntry.name.empty() || cameraEntry.name[0] == '.') continue;
    const std::string cameraPath = JoinPath(root, cameraEntry.name);
    if (!fs.List(cameraPath, &inCamera)) continue;
    const size_t camera = cameras->size();
    cameras->push_back(cameraEntry.name);
    for (const auto& dayEntry : inCamera) {
      const int number = dayEntry.folder ? DayFolderNumber(dayEntry.name) : 0;
      if (!number) continue;
      DayDir day;
      day.path = JoinPath(cameraPath, dayEntry.name);
      day.number = number;
      if (!fs.List(day.path, &inDay)) continue;
      day.entries = inDay.size();
      const size_t dayIndex = days->size();
      journals.clear();
      for (const auto& file : inDay)
        if (!file.folder && file.name.size() > 8 && file.name.compare(file.name.size() - 8, 8, ".journal") == 0)
          journals.insert(file.name.substr(0, file.name.size() - 8));
      for (auto& file : inDay) {
        StoredName name;
        if (file.folder || !ParseStoredName(file.name, &name)) continue;
        Recording r;
        r.path = JoinPath(day.path, file.name);
        r.relative = cameraEntry.name + '/' + dayEntry.name + '/' + file.name;
        r.camera = camera;
        r.day = dayIndex;
        r.size = file.size;
        r.modified = file.modified;
        r.motion = name.motion;
        r.journaled = journals.count(file.name) > 0;
        r.start = StartText(name);
        recordings->push_back(std::move(r));
      }
      days->push_back(std::move(day));
    }
  }
  return true;
}

// Why `r` must go now, if it must.
bool DueReason(const Recording& r, const RetentionLimits& limits, int64_t now, uint64_t recorded, uint64_t free,
               uint64_t floor, bool space_known, DeleteReason* reason) {
  const int days = r.motion ? limits.MotionDays() : limits.days;
  if (days > 0 && r.modified < now - int64_t(days) * kDaySeconds) {
    *reason = r.motion && limits.motion_days ? DeleteReason::kMotionDays : DeleteReason::kDays;
    return true;
  }
  if (limits.max_bytes && recorded > limits.max_bytes) {
    *reason = DeleteReason::kSize;
    return true;
  }
  if (space_known && free < floor) {
    *reason = DeleteReason::kFree;
    return true;
  }
  return false;
}

std::string EventLineOf(const Summary& s, const std::string& camera, const RetentionLimits& limits,
                        uint64_t capacity) {
  return "Deleted " + std::to_string(s.count) + (s.count == 1 ? " recording of " : " recordings of ") + camera +
         " from " + s.from + " to " + MinuteText(s.to) + ", " + AmountText(s.bytes) + ", " +
         ReasonText(s.reason, limits, capacity);
}

}  // namespace

std::string ReasonText(DeleteReason reason, const RetentionLimits& limits, uint64_t capacity) {
  switch (reason) {
    case DeleteReason::kDays: return "to keep at most " + std::to_string(limits.days) + " days";
    case DeleteReason::kMotionDays:
      return "to keep motion recordings at most " + std::to_string(limits.MotionDays()) + " days";
    case DeleteReason::kSize: return "to keep at most " + LimitText(limits.max_bytes);
    case DeleteReason::kFree: break;
  }
  if (limits.free_set) return "to keep " + LimitText(limits.min_free_bytes) + " free";
  return "to keep " + LimitText(limits.FloorBytes(capacity)) + " (" +
         std::to_string(RetentionLimits::kDefaultFreePercent) + " % of the disk) free";
}

RetentionReport RunRetentionPass(const RetentionRequest& q) {
  RetentionReport report;
  std::vector<std::string> cameras;
  std::vector<DayDir> days;
  std::vector<Recording> recordings;
  if (!q.fs || !Scan(*q.fs, q.root, &cameras, &days, &recordings)) return report;
  report.scanned = true;
  report.space_known = q.fs->Space(q.root, &report.free_bytes, &report.capacity_bytes);
  report.floor_bytes = q.limits.FloorBytes(report.capacity_bytes);
  uint64_t recorded = 0;
  for (const Recording& r : recordings) recorded += r.size;

  // Oldest first across all cameras; a name breaks a tie, so passes agree.
  std::vector<size_t> order(recordings.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const Recording &x = recordings[a], &y = recordings[b];
    return x.modified != y.modified ? x.modified < y.modified : x.path < y.path;
  });

  report.keep_list_broken = q.keep && q.keep->Broken();
  const int today = DayFolderNumber(os::FormatLocalTime("%Y-%m-%d", static_cast<std::time_t>(q.now)));
  uint64_t free = report.free_bytes;
  std::vector<bool> gone(recordings.size(), false);
  std::vector<Summary> summaries;
  for (size_t index : order) {
    const Recording& r = recordings[index];
    DeleteReason reason;
    if (!DueReason(r, q.limits, q.now, recorded, free, report.floor_bytes, report.space_known, &reason)) continue;
    // Never a file being written, marked Keep or held by another program.
    if (r.journaled || (q.keep && q.keep->IsKept(r.relative)) || (q.is_open && q.is_open(r.path)) ||
        q.fs->IsLocked(r.path)) {
      ++report.passed_over;
      continue;
    }
    if (!q.dry_run && !q.fs->Remove(r.path)) {
      ++report.failed;
      continue;
    }
    gone[index] = true;
    recorded -= r.size;
    free += r.size;
    ++days[r.day].removed;
    report.deleted.push_back({r.path, cameras[r.camera], r.size, r.modified, reason});
    auto s = std::find_if(summaries.begin(), summaries.end(),
                          [&](const Summary& x) { return x.camera == r.camera && x.reason == reason; });
    if (s == summaries.end()) {
      summaries.push_back({r.camera, reason, 0, 0, r.start, r.modified});
      s = summaries.end() - 1;
    }
    ++s->count;
    s->bytes += r.size;
    s->from = std::min(s->from, r.start);
    s->to = std::max(s->to, r.modified);
  }
  for (const Summary& s : summaries)
    report.events.push_back({cameras[s.camera], EventLineOf(s, cameras[s.camera], q.limits, report.capacity_bytes)});

  if (!q.dry_run) {
    for (const DayDir& day : days)
      if (day.removed == day.entries && day.number < today) q.fs->Remove(day.path);
    // What the disk says now, rather than what the deletions should have freed.
    if (!report.deleted.empty()) report.space_known = q.fs->Space(q.root, &free, &report.capacity_bytes);
  }
  report.free_bytes = free;

  std::map<size_t, CameraUsage> usage;
  for (size_t i = 0; i < recordings.size(); ++i) {
    if (gone[i]) continue;
    const Recording& r = recordings[i];
    CameraUsage& u = usage[r.camera];
    u.camera = cameras[r.camera];
    if (u.files == 0 || r.modified < u.oldest) u.oldest = r.modified;
    u.newest = std::max(u.newest, r.modified);
    u.bytes += r.size;
    ++u.files;
    ++report.files;
  }
  for (auto& [index, u] : usage) report.cameras.push_back(std::move(u));
  report.recorded_bytes = recorded;
  return report;
}

double DaysOfFootage(const RetentionReport& report, const RetentionLimits& limits) {
  int64_t oldest = 0, newest = 0;
  for (const CameraUsage& u : report.cameras) {
    if (u.files == 0) continue;
    oldest = oldest ? std::min(oldest, u.oldest) : u.oldest;
    newest = std::max(newest, u.newest);
  }
  if (!report.space_known || report.recorded_bytes == 0 || newest - oldest < 3600) return -1;
  const double perDay = double(report.recorded_bytes) / (double(newest - oldest) / double(kDaySeconds));
  // What the root may hold: what it has and the free space above the floor,
  // within the size limit.
  double room = double(report.recorded_bytes);
  if (report.free_bytes > report.floor_bytes) room += double(report.free_bytes - report.floor_bytes);
  if (limits.max_bytes) room = std::min(room, double(limits.max_bytes));
  double days = room / perDay;
  if (limits.days) days = std::min(days, double(limits.days));
  return days;
}

}  // namespace node
