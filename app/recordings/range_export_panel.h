#pragma once
// The Recordings window's export row: the range's marks (typed, set at the
// playing position, or dragged on the timeline, each shown by the others),
// the export of each played camera's range into a folder beside the file
// the save dialog names, its progress and how it ended. On the window's
// thread; the export itself runs on RangeExportJob's thread.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/recordings/recordings_export.h"
#include "app/recordings/timeline_control.h"
#include "record/recordings_index.h"

namespace app::recordings {

// What the export row asks of its window.
class RangeExportOwner {
 public:
  virtual ~RangeExportOwner() = default;
  virtual std::shared_ptr<const record::RecordingsCatalog> catalog() const = 0;
  // The cameras played: each exports its range.
  virtual const std::vector<std::string>& cameras() const = 0;
  virtual void SetStatusText(const std::string& text) = 0;
};

class RangeExportPanel {
 public:
  explicit RangeExportPanel(RangeExportOwner& owner) : owner_(owner) {}

  // Once the window and its timeline are made; the job posts `progress`
  // and `done` to `window`.
  void Create(HWND window, TimelineControl& timeline, UINT progress, UINT done);
  // The export's thread ends (the window goes).
  void Stop() { job_.reset(); }

  // "From" or "To" (by button ID) at the playing position (0: none).
  void MarkAt(int button, int64_t position);
  // The typed marks were edited: the timeline shows what they say.
  void MarksTyped();
  // The timeline's marks were dragged: the typed ones follow.
  void MarksMoved();
  // "Export": the save dialog names the first camera's file.
  void ChooseAndExport();
  // Into `folder` (ending in a separator), each camera under its own name.
  bool ExportTo(const std::string& folder);
  void Cancel() { job_->Cancel(); }
  bool Running() const { return job_ && job_->Running(); }
  void OnProgress();
  void OnDone();

 private:
  // The typed marks, to the second; false unless both are there, in order.
  bool ReadMarks(int64_t* from, int64_t* to);
  std::string Text(int id) const;

  RangeExportOwner& owner_;
  HWND window_ = nullptr;
  TimelineControl* timeline_ = nullptr;
  std::unique_ptr<RangeExportJob> job_;
};

}  // namespace app::recordings
