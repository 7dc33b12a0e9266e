#pragma once
// Export of a range of time of one camera: the pictures and sound from the
// intra picture at or before the start up to the end, from as many
// recordings as the range spans, into one MP4 file written by the
// recorder's own writer (valid tables, the camera's own configuration unit
// as the decoder configuration). Each sample keeps its time: the file's
// creation time is the second of its first picture and the first picture
// lies that far into it (its composition offset), so the wall-clock time of
// every picture is the creation time plus its presentation time, to the
// millisecond.
//
// Where the camera's configuration changes inside the range (another
// picture size or time base), the export goes on in a file of its own,
// "OUT-2.mp4" (the next free number), since one track decodes with one
// configuration; the sound goes with the pictures of its time: each file
// carries the sound from its first picture up to the first picture of the
// next, so none is lost or doubled at the cut.
//
// The recordings are only read. Each file is written beside its name
// ("OUT.mp4.part") and takes it once whole, so a failed or cancelled export
// leaves what was there before; OUT.mp4 itself is replaced when it exists.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "record/recording_track.h"
#include "record/recordings_index.h"

namespace record {

struct RangeExportRequest {
  std::string camera;
  int64_t from = 0, to = 0;  // wall-clock ms, from < to
  std::string output;        // "OUT.mp4" (UTF-8)
  bool matroska = false;     // also a Matroska copy of each file, "OUT.mkv", as `export` makes
};

struct RangeExportResult {
  std::vector<std::string> files;   // the MP4 files, in order
  std::vector<std::string> copies;  // their Matroska copies
  int64_t firstPicture = 0;         // wall-clock ms of the first picture written
  int64_t end = 0;                  // and of the end of the last
  uint32_t pictures = 0;
  uint32_t soundFrames = 0;
  std::string error;  // one line, when it failed
};

// `progress` hears (samples written, samples to write); `cancel` turning
// true ends the export with nothing written ("cancelled").
bool ExportRange(const RecordingsCatalog& catalog, TrackSource& tracks, const RangeExportRequest& request,
                 const std::function<void(uint64_t, uint64_t)>& progress, const std::atomic<bool>* cancel,
                 RangeExportResult* result);

}  // namespace record
