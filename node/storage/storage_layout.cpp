#include "node/storage/storage_layout.h"

#include <filesystem>

#include "os/file.h"
#include "os/local_time.h"

namespace node {

namespace {

bool Digits(const std::string& text, size_t at, size_t count, int* value) {
  if (at + count > text.size()) return false;
  int v = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

bool ValidDate(int year, int month, int day) {
  return year >= 1970 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

std::string StorageCameraName(const std::string& camera) {
  std::string name = os::SafeFileName(camera, "camera");
  if (name.find_first_not_of('.') == std::string::npos) name.assign(name.size(), '_');
  if (name.back() == '.' || name.back() == ' ') name.back() = '_';
  return name;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + static_cast<char>(std::filesystem::path::preferred_separator) + name;
}

std::string DayFolder(const std::string& root, const std::string& camera, int64_t seconds) {
  const std::string day = os::FormatLocalTime("%Y-%m-%d", static_cast<std::time_t>(seconds));
  return JoinPath(JoinPath(root, StorageCameraName(camera)), day);
}

std::string PlanFilePath(const std::string& root, const std::string& camera, int64_t seconds, bool motion) {
  const std::string stamp = os::FormatLocalTime("_%Y%m%d_%H%M%S", static_cast<std::time_t>(seconds));
  return JoinPath(DayFolder(root, camera, seconds),
                  StorageCameraName(camera) + stamp + (motion ? "_motion.mp4" : ".mp4"));
}

bool ParseStoredName(const std::string& file_name, StoredName* name) {
  if (!EndsWithNoCase(file_name, ".mp4")) return false;
  std::string stem = file_name.substr(0, file_name.size() - 4);
  StoredName parsed;
  // "-N" (N from 2) of a continuation.
  const size_t dash = stem.rfind('-');
  if (dash != std::string::npos && dash + 1 < stem.size() && stem.size() - dash <= 6) {
    int number = 0;
    if (Digits(stem, dash + 1, stem.size() - dash - 1, &number) && number >= 2) {
      parsed.number = number;
      stem.resize(dash);
    }
  }
  if (EndsWith(stem, "_motion")) {
    parsed.motion = true;
    stem.resize(stem.size() - 7);
  }
  // "_yyyyMMdd_HHmmss" and a camera name of at least one character before it.
  constexpr size_t kStamp = 16;
  if (stem.size() < kStamp + 1) return false;
  const size_t at = stem.size() - kStamp;
  if (stem[at] != '_' || stem[at + 9] != '_') return false;
  if (!Digits(stem, at + 1, 4, &parsed.year) || !Digits(stem, at + 5, 2, &parsed.month) ||
      !Digits(stem, at + 7, 2, &parsed.day) || !Digits(stem, at + 10, 2, &parsed.hour) ||
      !Digits(stem, at + 12, 2, &parsed.minute) || !Digits(stem, at + 14, 2, &parsed.second))
    return false;
  if (!ValidDate(parsed.year, parsed.month, parsed.day) || parsed.hour > 23 || parsed.minute > 59 ||
      parsed.second > 60)
    return false;
  parsed.camera = stem.substr(0, at);
  *name = parsed;
  return true;
}

int DayFolderNumber(const std::string& name) {
  int year = 0, month = 0, day = 0;
  if (name.size() != 10 || name[4] != '-' || name[7] != '-') return 0;
  if (!Digits(name, 0, 4, &year) || !Digits(name, 5, 2, &month) || !Digits(name, 8, 2, &day)) return 0;
  return ValidDate(year, month, day) ? year * 10000 + month * 100 + day : 0;
}

}  // namespace node
