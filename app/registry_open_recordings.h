#pragma once
// The recordings open right now, under the viewer's registry key, so that a
// crash or power cut leaves the list behind for the next start to repair;
// and the folders recordings were made in lately, where the next start also
// looks for recordings cut off whose listing never reached the disk.
#include <mutex>
#include <string>
#include <vector>

#include "record/open_recordings.h"

namespace app {

// HKEY_CURRENT_USER\Software\Vantreck\HALYDv2\OpenRecordings: one value per
// recording, named by its path. A value name holds a path of any length
// (a string value would stop at 255 characters) and every write is flushed.
inline constexpr char kOpenRecordingsKey[] = "Software\\Vantreck\\HALYDv2\\OpenRecordings";
// ...\RecordingFolders: one value per folder, named by it, whose number is
// its place (1: the folder of the latest recording).
inline constexpr char kRecordingFoldersKey[] = "Software\\Vantreck\\HALYDv2\\RecordingFolders";

class RegistryOpenRecordingList : public record::OpenRecordingList {
 public:
  explicit RegistryOpenRecordingList(std::string key_path = kOpenRecordingsKey,
                                     std::string folders_key_path = kRecordingFoldersKey)
      : key_path_(std::move(key_path)), folders_key_path_(std::move(folders_key_path)) {}
  // Remembers the recording's folder first: should the listing be lost, the
  // folder still leads the next start to the recording.
  void Add(const std::string& path) override;
  void Remove(const std::string& path) override;
  std::vector<std::string> Paths() const override;
  // The folders of the latest recordings, newest first.
  std::vector<std::string> Folders() const;

 private:
  void RememberFolderOf(const std::string& path);

  const std::string key_path_;
  const std::string folders_key_path_;
  mutable std::mutex lock_;  // recorders of several views write at once
};

}  // namespace app
