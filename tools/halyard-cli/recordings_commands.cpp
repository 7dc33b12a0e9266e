// `recordings` and `clip`: what a folder of recordings holds, camera by
// camera and day by day, and a range of it exported to one MP4 file.
#include "recordings_commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli_session.h"
#include "os/app_data.h"
#include "os/file.h"
#include "record/range_export.h"
#include "record/recording_names.h"
#include "record/recordings_index.h"

namespace cli {
namespace {

// The event log's folder, as Halyard keeps it: --events, else the user's.
std::string EventFolder(const Options& o) {
  if (!o.events.empty()) {
    const char last = o.events.back();
    return last == '/' || last == '\\' ? o.events : o.events + "/";
  }
  const std::string data = os::LocalAppDataDirectory();
  return data.empty() ? data : data + "Halyard/";
}

// "HH:MM:SS.mmm" of wall-clock ms, local time.
std::string Clock(int64_t ms) {
  const std::string text = record::LocalTimeText(ms / 1000).substr(11);
  char out[32];
  std::snprintf(out, sizeof out, "%s.%03d", text.c_str(), static_cast<int>(ms % 1000));
  return out;
}

const char* StateText(record::FileState state) {
  switch (state) {
    case record::FileState::kFinished: return "";
    case record::FileState::kUnfinished: return " (being written, or cut off and not yet repaired)";
    case record::FileState::kUnreadable: return " (unreadable: no pictures known)";
  }
  return "";
}

bool FolderMissing(const std::string& root, std::string* reason) {
  std::error_code error;
  if (std::filesystem::is_directory(os::PathOf(root), error)) return false;
  *reason = "no folder " + root;
  return true;
}

int List(const Options& o, std::string* reason) {
  if (FolderMissing(o.args[0], reason)) return kExitNotFound;
  record::RecordingsIndex index({o.args[0]}, EventFolder(o));
  record::IndexStats stats;
  const auto catalog = index.Refresh(&stats);
  const std::string only = o.args.size() > 1 ? o.args[1] : std::string();
  const int onlyDay = o.day.empty() ? 0 : record::ParseDayText(o.day);
  bool any = false;
  for (const record::CameraRecordings& camera : catalog->Cameras()) {
    if (!only.empty() && camera.name != only) continue;
    any = true;
    for (int day : camera.Days()) {
      if (onlyDay && day != onlyDay) continue;
      const record::DayView view = record::RecordingsCatalog::Day(camera, day);
      std::printf("%s %s\n", camera.name.c_str(), record::DayText(day).c_str());
      // Spans, motion and events in the order of their start.
      struct Line {
        int64_t at;
        std::string text;
      };
      std::vector<Line> lines;
      // A span to the day's end ends at 24:00.
      auto end = [&](int64_t ms) { return ms >= view.end ? std::string("24:00:00.000") : Clock(ms); };
      for (const record::TimeSpan& s : view.recorded)
        lines.push_back({s.begin, "  " + Clock(s.begin) + " - " + end(s.end) + "  recorded"});
      for (const record::TimeSpan& s : view.motion)
        lines.push_back({s.begin, "  " + Clock(s.begin) + " - " + end(s.end) + "  motion"});
      for (const record::EventBand& e : view.events)
        lines.push_back({e.end, "  " + Clock(e.end) + "                 event: " + e.text});
      for (const record::RecordingFile* f : view.files)
        if (f->state != record::FileState::kFinished)
          lines.push_back({f->start, "  " + Clock(f->start) + "                 file: " + f->path + StateText(f->state)});
      std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.at < b.at; });
      for (const Line& l : lines) std::printf("%s\n", l.text.c_str());
    }
  }
  std::printf("%zu recordings (%zu read, %zu from the index)\n", stats.files, stats.read, stats.cached);
  std::fflush(stdout);
  if (!any && !only.empty()) {
    *reason = "no recordings of " + only + " in " + o.args[0];
    return kExitNotFound;
  }
  return kExitOk;
}

int Clip(const Options& o, std::string* reason) {
  record::RangeExportRequest request;
  request.camera = o.args[1];
  request.output = o.args[2];
  request.matroska = o.matroska;
  int64_t from = 0, to = 0;
  if (!record::ParseLocalTimeText(o.from, &from) || !record::ParseLocalTimeText(o.to, &to)) {
    *reason = "--from and --to want \"YYYY-MM-DD HH:MM:SS\"";
    return kExitFailed;
  }
  request.from = from * 1000;
  request.to = to * 1000;
  if (FolderMissing(o.args[0], reason)) return kExitNotFound;
  record::RecordingsIndex index({o.args[0]}, std::string());
  const auto catalog = index.Refresh();
  if (!catalog->Find(request.camera)) {
    *reason = "no recordings of " + request.camera + " in " + o.args[0];
    return kExitNotFound;
  }
  record::TrackCache tracks;
  record::RangeExportResult result;
  if (!record::ExportRange(*catalog, tracks, request, nullptr, nullptr, &result)) {
    *reason = result.error;
    return kExitFailed;
  }
  for (const std::string& f : result.files) std::printf("exported %s\n", f.c_str());
  for (const std::string& f : result.copies) std::printf("exported %s\n", f.c_str());
  std::printf("%u pictures and %u sound frames from %s %s to %s\n", result.pictures, result.soundFrames,
              record::DayText(record::LocalDay(result.firstPicture / 1000)).c_str(), Clock(result.firstPicture).c_str(),
              Clock(result.end).c_str());
  std::fflush(stdout);
  return kExitOk;
}

}  // namespace

bool IsRecordingsCommand(const std::string& command) { return command == "recordings" || command == "clip"; }

int RunRecordingsCommand(const Options& o, std::string* reason) {
  return o.command == "recordings" ? List(o, reason) : Clip(o, reason);
}

}  // namespace cli
