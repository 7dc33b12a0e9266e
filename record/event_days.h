#pragma once
// The event log's daily files as the timeline of recordings shows them. The
// event log writes one file a day, "events-YYYYMMDD.log" (UTF-8, lines
// "HH:MM:SS<TAB>CAMERA<TAB>TEXT" ending in CR LF, a repeated event with
// " (N times)"), into the user's application data folder; this reads them
// back as bands on the camera's timeline: an event that says how long it
// lasted ("Motion ended after 4.2 s, ...", "Video resumed after 3 min 5 s")
// covers that time before it, any other is a moment.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace record {

struct EventBand {
  int64_t begin = 0, end = 0;  // wall-clock ms; equal for a moment
  std::string camera;          // as the log names it
  std::string text;
  bool motion = false;         // a motion the detector found
};

// The lines of one day's file; `day` is yyyymmdd (local). Lines that are
// cut off, too long or not of this form are passed over.
std::vector<EventBand> ParseEventDay(const char* data, size_t size, int day);

// "events-YYYYMMDD.log" -> yyyymmdd; 0 for any other name.
int EventFileDay(const std::string& file_name);

// Every day's file in `folder` (ending with a path separator, or empty for
// none), oldest first; files past kMaxEventFileBytes are read only that far.
std::vector<EventBand> ReadEventFolder(const std::string& folder);
constexpr size_t kMaxEventFileBytes = 16u << 20;

}  // namespace record
