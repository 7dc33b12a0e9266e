#pragma once
// How much of a root folder's recordings is kept: at most N days, at most
// G GB, at least F GB free on the disk, any of the three; without a free
// floor of its own a root keeps 10 % of its disk free. Motion recordings
// may be kept longer than the rest.
//
// The stored form, one line for the settings store and the command line's
// values: "days=30 motion-days=90 max-gb=500 min-free-gb=20" (each optional,
// decimals allowed for the sizes). Keys a later version adds are skipped.
#include <cstdint>
#include <string>
#include <string_view>

namespace node {

struct RetentionLimits {
  static constexpr size_t kMaxTextLength = 256;
  static constexpr int kMaxDays = 36500;
  static constexpr int kDefaultFreePercent = 10;

  int days = 0;              // 0: no limit of days
  int motion_days = 0;       // 0: as `days`
  uint64_t max_bytes = 0;    // 0: no limit of size
  bool free_set = false;     // min_free_bytes given; else 10 % of the disk
  uint64_t min_free_bytes = 0;

  // The free space the disk keeps, of a disk of `capacity` bytes.
  uint64_t FloorBytes(uint64_t capacity) const {
    return free_set ? min_free_bytes : capacity / 100 * kDefaultFreePercent;
  }
  int MotionDays() const { return motion_days ? motion_days : days; }
  bool operator==(const RetentionLimits&) const = default;
};

std::string FormatRetentionLimits(const RetentionLimits& limits);
bool ParseRetentionLimits(std::string_view text, RetentionLimits* limits, std::string* error = nullptr);

// "0.5", "20", "1.25" GB (1 GB = 2^30 bytes, as Windows counts) into bytes;
// false for anything else, negative or past a petabyte.
bool ParseGigabytes(std::string_view text, uint64_t* bytes);
// A limit as the user gave it: "20 GB", "0.5 GB", "5 MB".
std::string LimitText(uint64_t bytes);
// An amount with one decimal: "3.1 GB", "512.0 MB", "12 KB".
std::string AmountText(uint64_t bytes);

}  // namespace node
