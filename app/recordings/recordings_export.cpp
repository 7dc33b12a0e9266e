#include "app/recordings/recordings_export.h"

#include "os/thread_name.h"

namespace app::recordings {

RangeExportJob::~RangeExportJob() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
}

bool RangeExportJob::Start(std::shared_ptr<const record::RecordingsCatalog> catalog,
                           std::vector<record::RangeExportRequest> requests) {
  if (Running()) return false;
  if (thread_.joinable()) thread_.join();
  catalog_ = std::move(catalog);
  requests_ = std::move(requests);
  results_.clear();
  cancel_ = false;
  done_ = false;
  percent_ = 0;
  thread_ = std::thread([this] { Run(); });
  return true;
}

std::vector<record::RangeExportResult> RangeExportJob::Collect() {
  if (thread_.joinable()) thread_.join();
  return std::move(results_);
}

void RangeExportJob::Run() {
  os::NameCurrentThread("range export");
  record::TrackCache tracks;
  const size_t n = requests_.size();
  for (size_t i = 0; i < n; ++i) {
    record::RangeExportResult result;
    if (cancel_) {
      result.error = "cancelled";
    } else {
      record::ExportRange(*catalog_, tracks, requests_[i],
                          [&](uint64_t done, uint64_t total) {
                            const int percent = static_cast<int>((i * 100 + (total ? done * 100 / total : 0)) / n);
                            if (percent != percent_.exchange(percent)) PostMessageW(window_, progress_message_, 0, 0);
                          },
                          &cancel_, &result);
    }
    results_.push_back(std::move(result));
  }
  done_ = true;
  PostMessageW(window_, done_message_, 0, 0);
}

}  // namespace app::recordings
