#include "app/recordings/catalog_scan.h"

namespace app::recordings {

bool CatalogScan::Start(const std::vector<std::string>& roots, const std::string& event_folder, HWND window,
                        UINT message) {
  if (thread_.joinable()) {
    if (!done_) return false;
    thread_.join();
  }
  if (!index_ || roots_ != roots) {
    index_ = std::make_unique<record::RecordingsIndex>(roots, event_folder);
    roots_ = roots;
  }
  stop_ = false;
  done_ = false;
  thread_ = std::thread([this, window, message] {
    auto catalog = index_->Refresh(nullptr, nullptr, &stop_);
    {
      std::lock_guard<std::mutex> lock(lock_);
      scanned_ = std::move(catalog);
    }
    done_ = true;
    PostMessageW(window, message, 0, 0);
  });
  return true;
}

std::shared_ptr<const record::RecordingsCatalog> CatalogScan::Take() {
  std::lock_guard<std::mutex> lock(lock_);
  return std::move(scanned_);
}

void CatalogScan::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace app::recordings
