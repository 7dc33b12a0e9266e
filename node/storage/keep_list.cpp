#include "node/storage/keep_list.h"

#include "node/storage/storage_fs.h"
#include "node/storage/storage_layout.h"

namespace node {

namespace {

constexpr std::string_view kHeader = "halyard-keep 1";

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

std::string KeepKey(std::string_view path) {
  if (path.empty() || path.size() > KeepFileLimits::kMaxLine) return std::string();
  std::string key;
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find_first_of("/\\", at);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(at, end - at);
    // An absolute path, a drive, an empty or climbing part: not inside the root.
    if (part.empty() || part == "." || part == ".." || part.find(':') != std::string_view::npos) return std::string();
    for (char c : part)
      if (static_cast<unsigned char>(c) < 32) return std::string();
    if (!key.empty()) key += '/';
    key.append(part);
    at = end + 1;
  }
  return key;
}

bool ParseKeepList(std::string_view text, std::set<std::string>* paths, std::string* error) {
  if (text.size() > KeepFileLimits::kMaxBytes) return Fail(error, "the keep list is too large");
  std::set<std::string> parsed;
  size_t at = 0;
  bool first = true;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > KeepFileLimits::kMaxLine) return Fail(error, "a line of the keep list is too long");
    if (first) {
      if (line != kHeader) return Fail(error, "not a keep list");
      first = false;
      continue;
    }
    if (line.empty()) continue;
    const std::string key = KeepKey(line);
    if (key.empty()) return Fail(error, "a path of the keep list leaves its folder");
    parsed.insert(key);
    if (parsed.size() > KeepFileLimits::kMaxEntries) return Fail(error, "the keep list has too many entries");
  }
  if (first) return Fail(error, "not a keep list");
  paths->swap(parsed);
  return true;
}

std::string FormatKeepList(const std::set<std::string>& paths) {
  std::string text(kHeader);
  text += '\n';
  for (const std::string& path : paths) text += path + '\n';
  return text;
}

void KeepList::Load(StorageFileSystem& fs, const std::string& root) {
  std::string text;
  bool exists = false;
  std::set<std::string> paths;
  bool broken = false;
  if (fs.ReadText(JoinPath(root, kKeepFileName), KeepFileLimits::kMaxBytes, &text, &exists))
    broken = !ParseKeepList(text, &paths);
  else
    broken = exists;
  std::lock_guard<std::mutex> lock(lock_);
  paths_.swap(paths);
  broken_ = broken;
}

bool KeepList::Set(StorageFileSystem& fs, const std::string& root, const std::string& relative, bool keep) {
  const std::string key = KeepKey(relative);
  if (key.empty()) return false;
  std::lock_guard<std::mutex> save(save_lock_);
  std::string text;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (keep) {
      if (paths_.size() >= KeepFileLimits::kMaxEntries) return false;
      paths_.insert(key);
    } else {
      paths_.erase(key);
    }
    // A damaged list on the disk is not overwritten by what little was read of it.
    if (broken_) return false;
    text = FormatKeepList(paths_);
  }
  return fs.ReplaceText(JoinPath(root, kKeepFileName), text);
}

bool KeepList::IsKept(const std::string& relative) const {
  const std::string key = KeepKey(relative);
  std::lock_guard<std::mutex> lock(lock_);
  return broken_ || paths_.count(key) > 0;
}

bool KeepList::Broken() const {
  std::lock_guard<std::mutex> lock(lock_);
  return broken_;
}

std::vector<std::string> KeepList::Paths() const {
  std::lock_guard<std::mutex> lock(lock_);
  return std::vector<std::string>(paths_.begin(), paths_.end());
}

}  // namespace node
