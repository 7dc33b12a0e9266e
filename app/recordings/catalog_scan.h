#pragma once
// The recording folders read for the Recordings window on a thread of
// their own: a first visit of a large folder takes seconds. The index
// stays between scans, so a folder is read again only where it changed;
// a folder recorded into since the last look joins it.
//
// Threads: Start, Take and Stop are called on the window's thread. The
// scan thread owns the index while it runs, hands its catalog over under
// lock_ and posts the window's message.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "record/recordings_index.h"

namespace app::recordings {

class CatalogScan {
 public:
  CatalogScan() = default;
  ~CatalogScan() { Stop(); }
  CatalogScan(const CatalogScan&) = delete;
  CatalogScan& operator=(const CatalogScan&) = delete;

  // Reads `roots` (and the event log's `event_folder`) and posts `message`
  // to `window` when done; false while the last scan still reads (its
  // catalog will do).
  bool Start(const std::vector<std::string>& roots, const std::string& event_folder, HWND window, UINT message);
  // The catalog the last scan handed over, once; null when none came since.
  std::shared_ptr<const record::RecordingsCatalog> Take();
  // The scan ends early and its thread is joined.
  void Stop();

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  std::mutex lock_;
  std::shared_ptr<const record::RecordingsCatalog> scanned_;  // lock_
  std::unique_ptr<record::RecordingsIndex> index_;            // the scan thread's while it runs
  std::vector<std::string> roots_;
};

}  // namespace app::recordings
