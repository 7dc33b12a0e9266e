#pragma once
// Which recordings are open right now, kept where a crash cannot erase them,
// so that the next start finds those that were never finished and repairs
// them. Halyard keeps the list in its registry key; halyard-cli and the
// tests keep it in memory.
#include <mutex>
#include <string>
#include <vector>

namespace record {

class OpenRecordingList {
 public:
  virtual ~OpenRecordingList() = default;
  // The writer calls Add when a recording with a journal opens and Remove
  // once it is finished and its journal deleted; a recording cut off stays
  // listed. Paths are absolute, UTF-8. Called from any thread.
  virtual void Add(const std::string& path) = 0;
  virtual void Remove(const std::string& path) = 0;
  virtual std::vector<std::string> Paths() const = 0;
};

// The list every recording opened from now on reports to; none by default.
// Set it before the first recording opens and clear it after the last one
// closed: the writer keeps the pointer it found at Open until Finalise.
void SetOpenRecordingList(OpenRecordingList* list);
OpenRecordingList* CurrentOpenRecordingList();

class MemoryOpenRecordingList : public OpenRecordingList {
 public:
  void Add(const std::string& path) override;
  void Remove(const std::string& path) override;
  std::vector<std::string> Paths() const override;

 private:
  mutable std::mutex lock_;
  std::vector<std::string> paths_;
};

}  // namespace record
