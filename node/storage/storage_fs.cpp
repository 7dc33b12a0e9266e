#include "node/storage/storage_fs.h"

#include "os/file.h"

namespace node {

bool DiskStorage::List(const std::string& folder, std::vector<Entry>* entries) {
  return os::ListFolder(folder, entries);
}

bool DiskStorage::Remove(const std::string& path) {
  if (os::RemoveEmptyFolder(path)) return true;
  return os::FileExists(path) && os::RemoveFile(path) && !os::FileExists(path);
}

bool DiskStorage::IsLocked(const std::string& path) { return os::FileHeldElsewhere(path); }

bool DiskStorage::Space(const std::string& path, uint64_t* free, uint64_t* capacity) {
  return os::DiskSpace(path, free, capacity);
}

bool DiskStorage::ReadText(const std::string& path, size_t limit, std::string* text, bool* exists) {
  *exists = os::FileExists(path);
  std::vector<uint8_t> bytes;
  if (!*exists || !os::ReadWholeFile(path, &bytes, limit)) return false;
  text->assign(bytes.begin(), bytes.end());
  return true;
}

bool DiskStorage::ReplaceText(const std::string& path, const std::string& text) {
  return os::ReplaceFileWith(path, text);
}

}  // namespace node
