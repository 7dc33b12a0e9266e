#pragma once
// The recordings open right now, under the viewer's registry key, so that a
// crash or power cut leaves the list behind for the next start to repair.
#include <mutex>
#include <string>
#include <vector>

#include "record/open_recordings.h"

namespace app {

// HKEY_CURRENT_USER\Software\Vantreck\HALYDv2\OpenRecordings: one value per
// recording, named by its path. A value name holds a path of any length
// (a string value would stop at 255 characters) and every write is flushed.
inline constexpr char kOpenRecordingsKey[] = "Software\\Vantreck\\HALYDv2\\OpenRecordings";

class RegistryOpenRecordingList : public record::OpenRecordingList {
 public:
  explicit RegistryOpenRecordingList(std::string key_path = kOpenRecordingsKey) : key_path_(std::move(key_path)) {}
  void Add(const std::string& path) override;
  void Remove(const std::string& path) override;
  std::vector<std::string> Paths() const override;

 private:
  const std::string key_path_;
  mutable std::mutex lock_;  // recorders of several views write at once
};

}  // namespace app
