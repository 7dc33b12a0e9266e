#pragma once
// The repair of recordings the last run left cut off (it crashed, the PC
// lost power), done while the program already runs. They are found two
// ways: the open-recordings list names those that were open, and the
// folders recordings were made in lately hold a journal beside each
// unfinished one, which finds a recording whose listing never reached the
// disk. A listed recording leaves the list once it is repaired or gone; one
// that failed or was in use stays for the next start.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "os/window_seam.h"
#include "record/open_recordings.h"
#include "record/recording_repair.h"

namespace record {

// How many of the latest recording folders are remembered and searched.
inline constexpr size_t kRememberedFolders = 8;

// The folder part of a path (before its last / or \); empty when it has none.
std::string FolderOf(const std::string& path);
// `newestFirst` with `folder` moved or added to its front, at most
// kRememberedFolders long. Empty folders are not remembered.
std::vector<std::string> RememberFolder(std::vector<std::string> newest_first, const std::string& folder);

struct StartupRepairSources {
  std::vector<std::string> listed;   // the open-recordings list as the last run left it
  std::vector<std::string> folders;  // where recordings were made lately
};

// The folders given and those of the listed recordings, each once.
std::vector<std::string> FoldersToSearch(const StartupRepairSources& sources);
// The listed recordings, then those `found` in the folders, each once
// (compared as absolute paths). A recording of `openNow` (the list as it is
// now) that the last run did not list is this run's, and is left out.
std::vector<std::string> RecordingsToRepair(const StartupRepairSources& sources, const std::vector<std::string>& found,
                                            const std::vector<std::string>& open_now);
// Whether a listed recording comes off the list after a repair with this
// result: repaired, finished after all, or with nothing left to repair it
// from (the file or its journal is gone).
bool LeavesOpenList(RepairStatus status);

// Told how many recordings are still to be looked at: once before the first
// and after each.
using RepairProgress = std::function<void(size_t left)>;
// Searches, repairs each recording once and updates `list`. A `stop` that
// turns true ends the work at the next sample; what was not done stays listed.
RepairReport RepairAtStartup(OpenRecordingList& list, const StartupRepairSources& sources,
                             const RepairProgress& progress = {}, const std::atomic<bool>* stop = nullptr);
// The same, the sources being the list as it is now and `folders`.
RepairReport RepairAtStartup(OpenRecordingList& list, const std::vector<std::string>& folders);

// One file the user is told about.
struct RepairNoticeLine {
  std::string path;
  bool repaired = false;
  std::string secondsKept;  // "12.3": seconds of recording kept, tenths rounded down
};
// What the user hears of a start-up repair: each repaired recording with the
// time it kept, then each that could not be repaired. Recordings in use, gone
// or already finished are no news; empty when there is nothing to tell.
std::vector<RepairNoticeLine> RepairNotice(const RepairReport& report);

// RepairAtStartup on a thread of its own, reporting to a window: `progress`
// messages with the number of recordings left as wparam, then one `done`.
// Threads: Start, Stop and TakeReport run on the window's thread; the worker
// writes the report under lock_ before it posts `done`, and touches the
// list (itself safe from any thread) and nothing else of the caller's.
class StartupRepair {
 public:
  struct Messages {
    uint32_t progress;
    uint32_t done;
  };
  StartupRepair(OpenRecordingList& list, StartupRepairSources sources, os::WindowPoster& poster,
                os::WindowHandle window, Messages messages);
  ~StartupRepair();
  StartupRepair(const StartupRepair&) = delete;
  StartupRepair& operator=(const StartupRepair&) = delete;

  void Start();
  // Asks the worker to end at the next sample and waits for it.
  void Stop();
  bool Finished() const;
  // The report once `done` was posted (empty before, and after a Stop).
  RepairReport TakeReport();

 private:
  void Run();

  OpenRecordingList& list_;
  const StartupRepairSources sources_;
  os::WindowPoster& poster_;
  const os::WindowHandle window_;
  const Messages messages_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex lock_;  // guards what follows
  RepairReport report_;
  bool finished_ = false;
};

}  // namespace record
