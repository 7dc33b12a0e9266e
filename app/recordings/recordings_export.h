#pragma once
// The Recordings window's export of a range: one camera after another into
// MP4 files (and their Matroska copies when asked) on a thread of its own,
// so the window keeps drawing and playing; the recordings are only read.
//
// Threads: the window's thread starts, cancels and collects; the export
// thread runs record::ExportRange and posts the window its progress (a
// message carrying nothing: the window asks Percent) and its end. The
// results are the export thread's until it has ended (Done).
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "record/range_export.h"
#include "record/recordings_index.h"

namespace app::recordings {

class RangeExportJob {
 public:
  RangeExportJob(HWND window, UINT progressMessage, UINT doneMessage)
      : window_(window), progress_message_(progressMessage), done_message_(doneMessage) {}
  ~RangeExportJob();
  RangeExportJob(const RangeExportJob&) = delete;
  RangeExportJob& operator=(const RangeExportJob&) = delete;

  // False while one runs.
  bool Start(std::shared_ptr<const record::RecordingsCatalog> catalog, std::vector<record::RangeExportRequest> requests);
  void Cancel() { cancel_ = true; }
  bool Running() const { return thread_.joinable() && !done_.load(); }
  int Percent() const { return percent_.load(); }
  // After the done message: waits for the thread and hands over one result per request.
  std::vector<record::RangeExportResult> Collect();

 private:
  void Run();

  const HWND window_;
  const UINT progress_message_, done_message_;
  std::shared_ptr<const record::RecordingsCatalog> catalog_;
  std::vector<record::RangeExportRequest> requests_;
  std::vector<record::RangeExportResult> results_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> done_{false};
  std::atomic<int> percent_{0};
  std::thread thread_;
};

}  // namespace app::recordings
