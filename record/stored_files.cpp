#include "record/stored_files.h"

#include <cstdio>
#include <tuple>

namespace record {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (month 1 to 12).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::string WithoutLastPart(const std::string& path, std::string* last) {
  const size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) {
    *last = path;
    return "";
  }
  *last = path.substr(cut + 1);
  return path.substr(0, cut);
}

}  // namespace

FilePlace PlaceOf(const std::string& file_name) {
  FilePlace place;
  const std::string folder = WithoutLastPart(file_name, &place.base_name);
  WithoutLastPart(WithoutLastPart(folder, &place.child), &place.root);
  return place;
}

int64_t SecondsOf(const net::RecordTime& t) {
  const int64_t months = int64_t{t.year} * 12 + (int64_t{t.month} - 1);
  const int64_t year = FloorDiv(months, 12);
  const int64_t month = months - year * 12 + 1;
  const int64_t days = DaysFromCivil(year, month, 1) + (int64_t{t.day} - 1);
  return days * 86400 + int64_t{t.hour} * 3600 + int64_t{t.minute} * 60 + t.second;
}

int64_t LengthSeconds(const net::RecordTime& start, const net::RecordTime& end) {
  const int64_t length = SecondsOf(end) - SecondsOf(start);
  return length > 0 ? length : 0;
}

std::string FormatLength(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  const long long days = seconds / 86400;
  const int hours = static_cast<int>(seconds / 3600 % 24), minutes = static_cast<int>(seconds / 60 % 60),
            secs = static_cast<int>(seconds % 60);
  char text[64];
  if (days > 0)
    std::snprintf(text, sizeof text, "%lld - %02d : %02d : %02d", days, hours, minutes, secs);
  else
    std::snprintf(text, sizeof text, "%02d : %02d : %02d", hours, minutes, secs);
  return text;
}

std::string FormatStart(const net::RecordTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(t.year), static_cast<int>(t.month),
                static_cast<int>(t.day), static_cast<int>(t.hour), static_cast<int>(t.minute),
                static_cast<int>(t.second));
  return text;
}

bool ComesBefore(FileColumn column, const FileEntry& a, const FileEntry& b) {
  switch (column) {
    case FileColumn::kName: {
      const std::string name_a = PlaceOf(a.file_name).base_name, name_b = PlaceOf(b.file_name).base_name;
      return std::tie(name_a, a.file_name) < std::tie(name_b, b.file_name);
    }
    case FileColumn::kLength:
      return std::make_tuple(a.length_seconds(), std::cref(a.file_name)) <
             std::make_tuple(b.length_seconds(), std::cref(b.file_name));
    case FileColumn::kStart:
      return std::make_tuple(SecondsOf(a.start), std::cref(a.file_name)) <
             std::make_tuple(SecondsOf(b.start), std::cref(b.file_name));
  }
  return false;
}

StoredFileTree::Filed StoredFileTree::Add(const net::FileRecord& raw, const net::RecordTime& now) {
  const net::FileRecord record = net::WithValidTimes(raw, now);
  const FilePlace place = PlaceOf(record.file_name);
  Filed filed;
  for (filed.root = 0; filed.root < roots_.size() && roots_[filed.root].name != place.root; ++filed.root) {
  }
  if (filed.root == roots_.size()) {
    roots_.push_back(Root{place.root, {}});
    filed.new_root = true;
  }
  auto& children = roots_[filed.root].children;
  for (filed.child = 0; filed.child < children.size() && children[filed.child]->name != place.child; ++filed.child) {
  }
  if (filed.child == children.size()) {
    children.push_back(std::make_unique<Child>(Child{place.child, {}}));
    filed.new_child = true;
  }
  children[filed.child]->files.push_back(
      FileEntry{record.file_name, record.camera_id, record.value288, record.start, record.end});
  return filed;
}

size_t StoredFileTree::FileCount() const {
  size_t count = 0;
  for (const Root& root : roots_)
    for (const auto& child : root.children) count += child->files.size();
  return count;
}

}  // namespace record
