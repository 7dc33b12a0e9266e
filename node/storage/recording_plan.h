#pragma once
// A camera's recording plan: what it records without anyone watching, and
// when. A plan is one mode for every hour, or a week of cells (weekday x
// hour, local time), each with a mode of its own; its files are cut at each
// full hour, or every 30 or 15 minutes.
//
// The stored form is one line of text, kept per camera by the settings
// store (see PlanRecorder):
//   continuous files=60
//   schedule files=15 week=---------CCCCCCCCB-------/..../....   (7 days of 24 cells)
// MODE is off, continuous, motion, continuous+motion or schedule; a week's
// cell is '-' off, 'C' continuous, 'M' motion, 'B' both; the days run from
// Monday to Sunday, separated by '/'. Keys a later version adds are skipped.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace node {

enum class PlanMode : uint8_t {
  kOff,
  kContinuous,
  kMotion,            // each motion into a file of its own, with the seconds before and after it
  kContinuousMotion,  // continuous files, and each motion's file beside them, which marks it
};

inline bool RecordsContinuously(PlanMode mode) {
  return mode == PlanMode::kContinuous || mode == PlanMode::kContinuousMotion;
}
inline bool RecordsMotion(PlanMode mode) { return mode == PlanMode::kMotion || mode == PlanMode::kContinuousMotion; }
// "off", "continuous", "motion", "continuous+motion".
const char* PlanModeName(PlanMode mode);

struct RecordingPlan {
  static constexpr int kDays = 7;    // Monday (0) to Sunday (6)
  static constexpr int kHours = 24;
  static constexpr size_t kMaxTextLength = 512;

  PlanMode mode = PlanMode::kOff;  // in force at every hour, unless scheduled
  bool scheduled = false;          // the week's cells say, hour by hour
  std::array<std::array<PlanMode, kHours>, kDays> week{};
  int file_minutes = 60;           // a divisor of 60: 60, 30, 15 ...

  // The mode in force on `weekday` (0 Monday) at `hour` (0..23).
  PlanMode ModeAt(int weekday, int hour) const;
  // The mode in force at wall-clock seconds, in the machine's time zone.
  PlanMode ModeAtTime(int64_t seconds) const;
  // Whether anything is ever recorded.
  bool Active() const;
  bool operator==(const RecordingPlan&) const = default;
};

// Weekday (0 Monday .. 6 Sunday) and hour of wall-clock seconds, local time.
void LocalWeekHour(int64_t seconds, int* weekday, int* hour);
// The first wall-clock second after `seconds` at which the mode in force
// changes; 0 when it never does (a plan that is not scheduled, or a week
// of one mode).
int64_t NextPlanChange(const RecordingPlan& plan, int64_t seconds);
// The next local time after `seconds` that is a whole multiple of `minutes`
// past the hour (minutes a divisor of 60): where a plan's file is cut.
int64_t NextFileCut(int64_t seconds, int minutes);

std::string FormatRecordingPlan(const RecordingPlan& plan);
// False, with a reason, for text that is no plan: too long, an unknown mode,
// a week of the wrong shape or cell, minutes that do not divide an hour.
bool ParseRecordingPlan(std::string_view text, RecordingPlan* plan, std::string* error = nullptr);

}  // namespace node
