#pragma once
// A file system in memory for the retention tests: files with sizes, times
// and locks, a disk of a given size, small text files. Paths take '/' or
// '\' between folders, as the platform's own joins make them.
#include <algorithm>
#include <ctime>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "node/storage/storage_fs.h"

namespace node::testing {

// Wall-clock seconds of a local time in the week of Monday 2026-11-02 (day 0).
inline int64_t LocalTime(int day, int hour, int minute = 0, int second = 0) {
  std::tm tm{};
  tm.tm_year = 2026 - 1900, tm.tm_mon = 10, tm.tm_mday = 2 + day;
  tm.tm_hour = hour, tm.tm_min = minute, tm.tm_sec = second;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&tm));
}

class FakeStorage : public StorageFileSystem {
 public:
  struct File {
    uint64_t size = 0;
    int64_t modified = 0;
    bool locked = false;
  };

  static std::string Norm(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  void AddFile(const std::string& path, uint64_t size, int64_t modified) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string p = Norm(path);
    files_[p] = {size, modified, false};
    for (size_t slash = p.rfind('/'); slash != std::string::npos && slash > 0; slash = p.rfind('/', slash - 1))
      folders_.insert(p.substr(0, slash));
  }
  void Lock(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[Norm(path)].locked = true;
  }
  bool Has(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return files_.count(Norm(path)) > 0 || folders_.count(Norm(path)) > 0;
  }
  std::vector<std::string> Files() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [path, file] : files_) names.push_back(path);
    return names;
  }
  File Get(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(Norm(path));
    return it == files_.end() ? File() : it->second;
  }
  void SetDisk(uint64_t capacity, uint64_t other_used) {
    std::lock_guard<std::mutex> lock(mutex_);
    capacity_ = capacity;
    other_used_ = other_used;
  }

  bool List(const std::string& folder, std::vector<Entry>* entries) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string f = Norm(folder);
    if (!folders_.count(f)) return false;
    entries->clear();
    const std::string prefix = f + '/';
    for (auto it = files_.lower_bound(prefix); it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
      if (it->first.find('/', prefix.size()) == std::string::npos)
        entries->push_back({it->first.substr(prefix.size()), false, it->second.size, it->second.modified});
    for (auto it = folders_.lower_bound(prefix); it != folders_.end() && it->compare(0, prefix.size(), prefix) == 0; ++it)
      if (it->find('/', prefix.size()) == std::string::npos) entries->push_back({it->substr(prefix.size()), true, 0, 0});
    return true;
  }
  bool Remove(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string p = Norm(path);
    if (files_.erase(p)) return true;
    if (!folders_.count(p)) return false;
    const std::string prefix = p + '/';
    auto file = files_.lower_bound(prefix);
    auto sub = folders_.lower_bound(prefix);
    if ((file != files_.end() && file->first.compare(0, prefix.size(), prefix) == 0) ||
        (sub != folders_.end() && sub->compare(0, prefix.size(), prefix) == 0))
      return false;  // not empty
    folders_.erase(p);
    return true;
  }
  bool IsLocked(const std::string& path) override { return Get(path).locked; }
  bool Space(const std::string&, uint64_t* free, uint64_t* capacity) override {
    std::lock_guard<std::mutex> lock(mutex_);
    uint64_t used = other_used_;
    for (const auto& [path, file] : files_) used += file.size;
    *capacity = capacity_;
    *free = used < capacity_ ? capacity_ - used : 0;
    return true;
  }
  bool ReadText(const std::string& path, size_t limit, std::string* text, bool* exists) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = texts_.find(Norm(path));
    *exists = it != texts_.end();
    if (!*exists || it->second.size() > limit) return false;
    *text = it->second;
    return true;
  }
  bool ReplaceText(const std::string& path, const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_[Norm(path)] = text;
    return true;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  std::map<std::string, std::string> texts_;
  uint64_t capacity_ = uint64_t{1} << 42;
  uint64_t other_used_ = 0;
};

}  // namespace node::testing
