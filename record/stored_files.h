#pragma once
// The stored recordings as the file list window shows them: a two-level
// folder tree built from each file's path, the files filed under the second
// level, and the texts of the file table (the length of a recording, its
// start). Portable; the window mirrors this tree in its controls.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/list_records.h"

namespace record {

// Where a stored file is listed. For "rec/cam1/a.mp4": root "rec", child
// "cam1", base name "a.mp4". A path with fewer folders leaves the missing
// levels empty. Both '/' and '\' separate folders.
struct FilePlace {
  std::string root;
  std::string child;
  std::string base_name;
};
FilePlace PlaceOf(const std::string& file_name);

// Seconds from a fixed day; a month or day of 0 rolls back to the month or
// day before, as a calendar does.
int64_t SecondsOf(const net::RecordTime& time);
// End minus start in seconds; 0 when the end lies before the start.
int64_t LengthSeconds(const net::RecordTime& start, const net::RecordTime& end);
// "%D - %H : %M : %S" from one day up, "%H : %M : %S" below a day.
std::string FormatLength(int64_t seconds);
// "2026-12-06 20:00:00".
std::string FormatStart(const net::RecordTime& time);

// One stored recording, its times already valid.
struct FileEntry {
  std::string file_name;
  std::string camera_id;
  uint32_t value = 0;
  net::RecordTime start, end;
  int64_t length_seconds() const { return LengthSeconds(start, end); }
};

// The table's columns, and the order a click on a column header gives.
enum class FileColumn { kName, kLength, kStart };
// Whether `a` comes before `b` sorted by `column` (ascending); equal keys
// fall back to the full file name so the order is total.
bool ComesBefore(FileColumn column, const FileEntry& a, const FileEntry& b);

// Roots and children keep the order in which they first appeared; nothing
// is ever sorted. A child's address stays valid until Clear.
class StoredFileTree {
 public:
  struct Child {
    std::string name;
    std::vector<FileEntry> files;
  };
  struct Root {
    std::string name;
    std::vector<std::unique_ptr<Child>> children;
  };
  // Where Add filed a record, and which tree items it had to make.
  struct Filed {
    size_t root = 0;
    size_t child = 0;
    bool new_root = false;
    bool new_child = false;
  };

  // Files one record under its folders; invalid time groups become `now`.
  Filed Add(const net::FileRecord& record, const net::RecordTime& now);
  void Clear() { roots_.clear(); }
  const std::vector<Root>& roots() const { return roots_; }
  size_t FileCount() const;

 private:
  std::vector<Root> roots_;
};

}  // namespace record
