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
  std::lock_guard<std::mutex> lock(m_lock);
  if (std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end()) m_paths.push_back(path);
}

void MemoryOpenRecordingList::Remove(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
}

std::vector<std::string> MemoryOpenRecordingList::Paths() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_paths;
}

}  // namespace record
