#pragma once
// Finishes recordings that were cut off before Finalise (the program was
// killed, the PC lost power): the journal beside the file says which samples
// were written; those whose bytes are on disk whole are kept, a sample cut
// off at the end is dropped, and the rest of the file is written exactly as
// Finalise would have written it. A file without a journal, or whose journal
// does not match it, is left as it is.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "record/mp4_output.h"
#include "record/open_recordings.h"

namespace record {

enum class RepairStatus {
  kRepaired,         // finished from its journal; the journal is gone
  kAlreadyComplete,  // a finished recording; a journal left beside it is gone
  kNoJournal,        // cut off, but no journal: left as it is
  kJournalMismatch,  // the journal belongs to another file or is damaged at its start
  kNothingToKeep,    // not one whole sample on disk: left as it is
  kMissing,          // the recording does not exist
  kInUse,            // a running recording or another repair holds it
  kFailed,           // reading or writing failed
  kStopped,          // the program ended first: left as it is, to be taken up again
};

struct RepairResult {
  std::string path;
  RepairStatus status = RepairStatus::kFailed;
  std::string message;  // one line for the user, without the path
  uint32_t pictures = 0;     // samples kept
  uint32_t soundFrames = 0;
  uint32_t durationMs = 0;   // of the longer media track: the recording kept
  uint64_t bytesDropped = 0; // cut-off bytes after the last whole sample
  bool Repaired() const { return status == RepairStatus::kRepaired; }
};

// The repair itself, on a recording and its journal in any storage. On
// kRepaired `media` holds the finished recording; otherwise it is unchanged
// (after a failed write, kFailed, it may be cut back to its last whole
// sample: still a file this repair can take up again). The journal is only
// read; deleting it is the caller's. A `stop` that turns true ends the work
// before anything is written (kStopped).
RepairResult RepairStorage(Mp4Storage& media, Mp4Storage& journal, const std::atomic<bool>* stop = nullptr);

// Repairs the recording at `path` (UTF-8) from "<path>.journal".
RepairResult RepairRecording(const std::string& path, const std::atomic<bool>* stop = nullptr);

struct RepairReport {
  std::vector<RepairResult> repaired;
  std::vector<RepairResult> complete;     // nothing needed doing
  std::vector<RepairResult> notRepaired;  // left as they were, with the reason
};
// Files `result` under repaired, complete or not repaired.
void AddToReport(RepairReport& report, RepairResult result);
RepairReport RepairRecordings(const std::vector<std::string>& paths);

// The recordings in `folder` (not its sub-folders) that have a journal
// beside them, sorted by name.
std::vector<std::string> FindUnfinishedRecordings(const std::string& folder);

}  // namespace record
