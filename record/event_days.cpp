#include "record/event_days.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "os/file.h"
#include "record/recording_names.h"

namespace record {
namespace {

constexpr size_t kMaxLine = 4096;

int Two(const char* p) {
  if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9') return -1;
  return (p[0] - '0') * 10 + (p[1] - '0');
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// "4.2 s" at the start of `text`, in ms; -1 when it is not a length in seconds.
int64_t Seconds(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double s = std::strtod(begin, &end);
  if (end == begin || !(s >= 0) || s > 86400.0 * 30 || std::string(end).rfind(" s", 0) != 0) return -1;
  return static_cast<int64_t>(s * 1000.0 + 0.5);
}

// "45 s", "3 min 5 s", "2 h 4 min" (as the log writes how long a loss lasted), in ms.
int64_t Duration(const std::string& text) {
  int64_t total = 0;
  size_t at = 0;
  bool any = false;
  while (at < text.size()) {
    size_t digits = at;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits - at < 9) ++digits;
    if (digits == at || digits >= text.size() || text[digits] != ' ') break;
    const int64_t value = std::atoll(text.substr(at, digits - at).c_str());
    size_t unit = digits + 1, unitEnd = text.find(' ', unit);
    if (unitEnd == std::string::npos) unitEnd = text.size();
    const std::string name = text.substr(unit, unitEnd - unit);
    const int64_t scale = name == "h" ? 3600000 : name == "min" ? 60000 : name == "s" ? 1000 : 0;
    if (scale == 0) break;
    total += value * scale;
    any = true;
    at = unitEnd + 1;
  }
  return any ? total : -1;
}

void AddLine(const std::string& line, int day, std::vector<EventBand>* out) {
  // "HH:MM:SS<TAB>CAMERA<TAB>TEXT"
  if (line.size() < 10 || line[2] != ':' || line[5] != ':' || line[8] != '\t') return;
  const int h = Two(&line[0]), m = Two(&line[3]), s = Two(&line[6]);
  const size_t tab = line.find('\t', 9);
  if (h < 0 || m < 0 || s < 0 || tab == std::string::npos) return;
  int64_t seconds = 0;
  if (!LocalToWallSeconds(day / 10000, day / 100 % 100, day % 100, h, m, s, &seconds)) return;
  EventBand band;
  band.end = band.begin = seconds * 1000;
  band.camera = line.substr(9, tab - 9);
  band.text = line.substr(tab + 1);
  static const char kMotionEnded[] = "Motion ended after ";
  static const char kResumed[] = "Video resumed after ";
  if (StartsWith(band.text, "Motion started")) {
    band.motion = true;
  } else if (StartsWith(band.text, kMotionEnded)) {
    band.motion = true;
    const int64_t length = Seconds(band.text.substr(sizeof kMotionEnded - 1));
    if (length >= 0) {
      band.begin -= length;
      // The start of the same motion is a moment inside this band: one band says both.
      for (size_t i = out->size(); i-- > 0;) {
        EventBand& other = (*out)[i];
        if (other.end < band.begin - 1000) break;
        if (other.camera == band.camera && other.motion && other.begin == other.end &&
            StartsWith(other.text, "Motion started")) {
          out->erase(out->begin() + static_cast<std::ptrdiff_t>(i));
          break;
        }
      }
    }
  } else if (StartsWith(band.text, kResumed)) {
    const int64_t length = Duration(band.text.substr(sizeof kResumed - 1));
    if (length >= 0) band.begin -= length;
  }
  out->push_back(std::move(band));
}

}  // namespace

std::vector<EventBand> ParseEventDay(const char* data, size_t size, int day) {
  std::vector<EventBand> bands;
  size_t at = 0;
  while (at < size) {
    const char* end = static_cast<const char*>(std::memchr(data + at, '\n', size - at));
    if (!end) break;  // a line still being written
    size_t length = static_cast<size_t>(end - (data + at));
    if (length > 0 && data[at + length - 1] == '\r') --length;
    if (length <= kMaxLine) AddLine(std::string(data + at, length), day, &bands);
    at = static_cast<size_t>(end - data) + 1;
  }
  return bands;
}

int EventFileDay(const std::string& file_name) {
  if (file_name.size() != 19 || file_name.rfind("events-", 0) != 0 || file_name.compare(15, 4, ".log") != 0) return 0;
  const std::string digits = file_name.substr(7, 8);
  return ParseDayText(digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2));
}

std::vector<EventBand> ReadEventFolder(const std::string& folder) {
  std::vector<EventBand> all;
  if (folder.empty()) return all;
  std::vector<std::pair<int, std::string>> days;
  for (const std::string& path : os::FilesIn(folder)) {
    const size_t slash = path.find_last_of("/\\");
    const int day = EventFileDay(slash == std::string::npos ? path : path.substr(slash + 1));
    if (day) days.emplace_back(day, path);
  }
  std::sort(days.begin(), days.end());
  for (const auto& [day, path] : days) {
    std::vector<uint8_t> bytes;
    if (!os::ReadWholeFile(path, &bytes, kMaxEventFileBytes)) {
      // Larger than any day of events should be: its first part is read.
      std::FILE* file = os::OpenFile(path, "rb");
      if (!file) continue;
      bytes.resize(kMaxEventFileBytes);
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
      std::fclose(file);
    }
    std::vector<EventBand> bands = ParseEventDay(reinterpret_cast<const char*>(bytes.data()), bytes.size(), day);
    all.insert(all.end(), std::make_move_iterator(bands.begin()), std::make_move_iterator(bands.end()));
  }
  return all;
}

}  // namespace record
