#pragma once
// The recordings under one or more folders, camera by camera and day by
// day: when each camera was recorded (from each file's name and its own
// sample times), when motion was recorded (the motion files) and what the
// event log says happened (its daily files). Folders may hold recordings as
// every recorder of this program writes them:
//   ROOT\CAMERA_yyyyMMdd_HHmmss.mp4               --record and the save dialog
//   ROOT\CAMERA\YYYY-MM-DD\CAMERA_yyyyMMdd_HHmmss.mp4   recording plans
// with "_motion" files and numbered "-2", "-3" continuations beside them.
//
// RecordingsIndex scans and keeps what it read of each file in a small file
// in each root (index_cache.h), so the next scan reads only the files whose
// name, size or modification time changed. Each scan gives a new
// RecordingsCatalog: an immutable snapshot that any thread may read while
// the next scan runs (the window scans again while recordings go on).
//
// Threads: a RecordingsIndex is used by one thread at a time (a worker: a
// first scan of a large folder takes seconds); catalogs are shared freely.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "record/event_days.h"
#include "record/index_cache.h"

namespace record {

// [begin, end) in wall-clock milliseconds since 1970 UTC.
struct TimeSpan {
  int64_t begin = 0, end = 0;
};

enum class RecordingKind : uint8_t { kContinuous, kMotion };

struct RecordingFile {
  std::string path;  // UTF-8
  std::string camera;
  RecordingKind kind = RecordingKind::kContinuous;
  FileState state = FileState::kFinished;
  int number = 1;        // 2 for "-2", ...
  int64_t start = 0;     // wall-clock ms of its first picture
  uint32_t pictures = 0;
  std::vector<TimeSpan> spans;  // wall-clock, between the gaps in its pictures
  int64_t End() const { return spans.empty() ? start : spans.back().end; }
};

// Which file plays at a time: one file's part of a camera's timeline.
struct Segment {
  int64_t begin = 0, end = 0;
  size_t file = 0;  // into CameraRecordings::files
};

struct CameraRecordings {
  std::string name;
  std::vector<RecordingFile> files;  // by start
  std::vector<TimeSpan> recorded;    // covered by any recording, merged over gaps shorter than kGapMs
  std::vector<TimeSpan> motion;      // motion recordings and the motions the log names, merged
  std::vector<EventBand> events;     // the log's lines for this camera, by time
  // What plays where: disjoint, by time. Where files overlap, the one that
  // began first plays on; motion files fill where no continuous file is.
  std::vector<Segment> segments;

  const Segment* SegmentAt(int64_t time) const;      // null in a gap
  const Segment* SegmentAfter(int64_t time) const;   // the first beginning after `time`
  const Segment* SegmentBefore(int64_t time) const;  // the last ending at or before `time`
  // Local days (yyyymmdd) with footage, oldest first.
  std::vector<int> Days() const;
};

// A camera's day as its timeline shows it.
struct DayView {
  int day = 0;                 // yyyymmdd
  int64_t begin = 0, end = 0;  // its local midnights (23 or 25 hours when the clock changes)
  std::vector<TimeSpan> recorded, motion;
  std::vector<EventBand> events;
  std::vector<const RecordingFile*> files;  // with footage on that day
};

class RecordingsCatalog {
 public:
  const std::vector<CameraRecordings>& Cameras() const { return cameras_; }
  // Null for a camera without recordings.
  const CameraRecordings* Find(const std::string& camera) const;
  static DayView Day(const CameraRecordings& camera, int yyyymmdd);

  // Made by RecordingsIndex; public for tests that build one from facts.
  // `roots` pairs each root folder (ending in a separator) with its files.
  static std::shared_ptr<const RecordingsCatalog> Build(
      const std::vector<std::pair<std::string, std::vector<FileFacts>>>& roots, std::vector<EventBand> events);

 private:
  std::vector<CameraRecordings> cameras_;  // by name
};

struct IndexStats {
  size_t files = 0;      // recordings found
  size_t read = 0;       // read anew (new or changed)
  size_t cached = 0;     // taken from the roots' index files
  size_t cachesWritten = 0;
};

class RecordingsIndex {
 public:
  // `eventFolder`: the event log's folder (ending in a separator), empty for none.
  RecordingsIndex(std::vector<std::string> roots, std::string event_folder);

  // Scans the roots and returns the catalog; `progress` hears (files read,
  // files to read) while files are read, `stop` ends the scan early (null
  // returned).
  std::shared_ptr<const RecordingsCatalog> Refresh(IndexStats* stats = nullptr,
                                                   const std::function<void(size_t, size_t)>& progress = nullptr,
                                                   const std::atomic<bool>* stop = nullptr);

 private:
  struct Root {
    std::string path;  // ends with a separator
    bool cacheRead = false;
    std::map<std::string, FileFacts> known;  // by path from the root
  };
  std::vector<Root> roots_;
  std::string event_folder_;
};

// Merges spans that overlap or lie less than `gap` apart.
std::vector<TimeSpan> MergeSpans(std::vector<TimeSpan> spans, int64_t gap = 0);

}  // namespace record
