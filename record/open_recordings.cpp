#include "record/open_recordings.h"

#include <algorithm>
#include <atomic>

namespace record {
namespace {
std::atomic<OpenRecordingList*> g_list{nullptr};
}  // namespace

void SetOpenRecordingList(OpenRecordingList* list) { g_list.store(list); }
OpenRecordingList* CurrentOpenRecordingList() { return g_list.load(); }

void MemoryOpenRecordingList::Add(const std::string& path) {
  std::lock_guard<std::mutex> lock(lock_);
  if (std::find(paths_.begin(), paths_.end(), path) == paths_.end()) paths_.push_back(path);
}

void MemoryOpenRecordingList::Remove(const std::string& path) {
  std::lock_guard<std::mutex> lock(lock_);
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

std::vector<std::string> MemoryOpenRecordingList::Paths() const {
  std::lock_guard<std::mutex> lock(lock_);
  return paths_;
}

}  // namespace record
