#include "dialogs/storage_rules.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "os/local_time.h"

namespace dialogs {
namespace {

namespace text = settings::text;

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// Empty counts as 0.
bool ReadDays(const std::string& typed, int* days) {
  const std::string s = Trimmed(typed);
  if (s.empty()) return *days = 0, true;
  if (s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  *days = std::atoi(s.c_str());
  return *days <= node::RetentionLimits::kMaxDays;
}

// "10.0 GB" for whole gigabytes reads as "10".
std::string GigabytesText(uint64_t bytes) {
  const double gb = static_cast<double>(bytes) / double(1ull << 30);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", gb);
  std::string s = buffer;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

StorageFields FieldsOf(const std::string& root, const node::RetentionLimits& limits) {
  StorageFields f;
  f.root = root;
  f.days = std::to_string(limits.days);
  f.motion_days = std::to_string(limits.motion_days);
  f.max_gb = GigabytesText(limits.max_bytes);
  if (limits.free_set) f.min_free_gb = GigabytesText(limits.min_free_bytes);
  return f;
}

const settings::TextId* ReadStorageFields(const StorageFields& fields, std::string* root,
                                          node::RetentionLimits* limits) {
  const std::string folder = Trimmed(fields.root);
  if (folder.empty()) return &text::kStorageErrorRoot;
  node::RetentionLimits read;
  if (!ReadDays(fields.days, &read.days) || !ReadDays(fields.motion_days, &read.motion_days))
    return &text::kStorageErrorDays;
  const std::string max = Trimmed(fields.max_gb), free = Trimmed(fields.min_free_gb);
  if (!max.empty() && !node::ParseGigabytes(max, &read.max_bytes)) return &text::kStorageErrorGigabytes;
  if (!free.empty()) {
    if (!node::ParseGigabytes(free, &read.min_free_bytes)) return &text::kStorageErrorGigabytes;
    read.free_set = true;
  }
  *root = folder;
  *limits = read;
  return nullptr;
}

std::vector<UsageRow> UsageRows(const node::RetentionReport& report) {
  std::vector<UsageRow> rows;
  for (const node::CameraUsage& c : report.cameras)
    rows.push_back({c.camera, node::AmountText(c.bytes),
                    c.files ? os::FormatLocalTime("%Y-%m-%d %H:%M", static_cast<std::time_t>(c.oldest)) : ""});
  return rows;
}

std::string StorageSummary(const node::RetentionReport& report, const node::RetentionLimits& limits) {
  if (!report.scanned) return "The folder has not been looked at yet.";
  std::string s = std::to_string(report.files) + (report.files == 1 ? " recording, " : " recordings, ") +
                  node::AmountText(report.recorded_bytes);
  if (report.space_known)
    s += "; " + node::AmountText(report.free_bytes) + " free of " + node::AmountText(report.capacity_bytes) + ", " +
         node::LimitText(report.floor_bytes) + " kept free";
  const double days = node::DaysOfFootage(report, limits);
  if (days >= 0) s += "; about " + std::to_string(static_cast<long>(std::floor(days))) + " days of footage at this rate";
  return s + ".";
}

}  // namespace dialogs
