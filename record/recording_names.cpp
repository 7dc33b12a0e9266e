#include "record/recording_names.h"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "os/local_time.h"

namespace record {
namespace {

bool Digits(const std::string& s, size_t at, size_t count, int* value) {
  if (at + count > s.size()) return false;
  int v = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    v = v * 10 + (s[i] - '0');
  }
  *value = v;
  return true;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  const std::string end(suffix);
  if (s.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - end.size() + i])) != end[i]) return false;
  return true;
}

bool ValidCalendar(int year, int month, int day, int hour, int minute, int second) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1971 || year > 2999 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return false;
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

}  // namespace

bool ParseRecordingName(const std::string& file_name, RecordingName* name) {
  if (!EndsWithNoCase(file_name, ".mp4")) return false;
  std::string stem = file_name.substr(0, file_name.size() - 4);
  RecordingName n;
  // "-N" of a numbered continuation: digits after the last '-', 2 or more.
  const size_t dash = stem.rfind('-');
  if (dash != std::string::npos && dash + 1 < stem.size() && stem.size() - dash <= 6) {
    int number = 0;
    if (Digits(stem, dash + 1, stem.size() - dash - 1, &number) && number >= 2) {
      n.number = number;
      stem.resize(dash);
    }
  }
  static const char kMotion[] = "_motion";
  if (EndsWithNoCase(stem, kMotion)) {
    n.motion = true;
    stem.resize(stem.size() - (sizeof kMotion - 1));
  }
  // "_yyyyMMdd_HHmmss" and at least one character of camera before it.
  constexpr size_t kStamp = 16;
  if (stem.size() <= kStamp) return false;
  const size_t at = stem.size() - kStamp;
  if (stem[at] != '_' || stem[at + 9] != '_') return false;
  if (!Digits(stem, at + 1, 4, &n.year) || !Digits(stem, at + 5, 2, &n.month) || !Digits(stem, at + 7, 2, &n.day) ||
      !Digits(stem, at + 10, 2, &n.hour) || !Digits(stem, at + 12, 2, &n.minute) ||
      !Digits(stem, at + 14, 2, &n.second))
    return false;
  if (!ValidCalendar(n.year, n.month, n.day, n.hour, n.minute, n.second)) return false;
  n.camera = stem.substr(0, at);
  *name = std::move(n);
  return true;
}

bool LocalToWallSeconds(int year, int month, int day, int hour, int minute, int second, int64_t* seconds) {
  if (!ValidCalendar(year, month, day, hour, minute, second)) return false;
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;  // the library decides whether summer time applies
  const std::time_t when = std::mktime(&t);
  if (when == static_cast<std::time_t>(-1)) return false;
  *seconds = static_cast<int64_t>(when);
  return true;
}

int LocalDay(int64_t seconds) {
  const os::CalendarTime t = os::ToCalendarTime(seconds);
  return t.year * 10000 + t.month * 100 + t.day;
}

int64_t LocalDayStart(int yyyymmdd) {
  int64_t seconds = 0;
  if (!LocalToWallSeconds(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100, 0, 0, 0, &seconds)) return 0;
  return seconds;
}

int64_t LocalDayEnd(int yyyymmdd) {
  // The next day's start: a day of 23 or 25 hours ends where it does.
  const int64_t start = LocalDayStart(yyyymmdd);
  return LocalDayStart(LocalDay(start + 36 * 3600));
}

std::string DayText(int yyyymmdd) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", yyyymmdd / 10000 % 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
  return text;
}

int ParseDayText(const std::string& text) {
  int y = 0, m = 0, d = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !Digits(text, 0, 4, &y) || !Digits(text, 5, 2, &m) ||
      !Digits(text, 8, 2, &d) || !ValidCalendar(y, m, d, 0, 0, 0))
    return 0;
  return y * 10000 + m * 100 + d;
}

std::string LocalTimeText(int64_t seconds) {
  const os::CalendarTime t = os::ToCalendarTime(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

bool ParseLocalTimeText(const std::string& text, int64_t* seconds) {
  int h = 0, mi = 0, s = 0;
  const int day = ParseDayText(text.substr(0, 10));
  if (day == 0 || text.size() != 19 || text[10] != ' ' || text[13] != ':' || text[16] != ':' ||
      !Digits(text, 11, 2, &h) || !Digits(text, 14, 2, &mi) || !Digits(text, 17, 2, &s))
    return false;
  return LocalToWallSeconds(day / 10000, day / 100 % 100, day % 100, h, mi, s, seconds);
}

std::string FileSafeCameraName(const std::string& camera) {
  std::string name;
  for (unsigned char c : camera) {
    const bool bad = c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
                     c == '>' || c == '|';
    name.push_back(bad ? '_' : static_cast<char>(c));
  }
  return name;
}

}  // namespace record
