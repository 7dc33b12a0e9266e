#include "node/storage/recording_plan.h"

#include <ctime>
#include <vector>

#include "os/local_time.h"

namespace node {

namespace {

constexpr char kCellLetters[] = {'-', 'C', 'M', 'B'};  // by PlanMode

bool CellMode(char letter, PlanMode* mode) {
  for (int i = 0; i < 4; ++i)
    if (kCellLetters[i] == letter) {
      *mode = static_cast<PlanMode>(i);
      return true;
    }
  return false;
}

bool ParseMode(std::string_view word, PlanMode* mode) {
  for (PlanMode m : {PlanMode::kOff, PlanMode::kContinuous, PlanMode::kMotion, PlanMode::kContinuousMotion})
    if (word == PlanModeName(m)) {
      *mode = m;
      return true;
    }
  return false;
}

bool ValidFileMinutes(int minutes) { return minutes > 0 && minutes <= 60 && 60 % minutes == 0; }

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

}  // namespace

const char* PlanModeName(PlanMode mode) {
  switch (mode) {
    case PlanMode::kContinuous: return "continuous";
    case PlanMode::kMotion: return "motion";
    case PlanMode::kContinuousMotion: return "continuous+motion";
    case PlanMode::kOff: break;
  }
  return "off";
}

PlanMode RecordingPlan::ModeAt(int weekday, int hour) const {
  if (!scheduled) return mode;
  if (weekday < 0 || weekday >= kDays || hour < 0 || hour >= kHours) return PlanMode::kOff;
  return week[static_cast<size_t>(weekday)][static_cast<size_t>(hour)];
}

PlanMode RecordingPlan::ModeAtTime(int64_t seconds) const {
  if (!scheduled) return mode;
  int weekday = 0, hour = 0;
  LocalWeekHour(seconds, &weekday, &hour);
  return ModeAt(weekday, hour);
}

bool RecordingPlan::Active() const {
  if (!scheduled) return mode != PlanMode::kOff;
  for (const auto& day : week)
    for (PlanMode cell : day)
      if (cell != PlanMode::kOff) return true;
  return false;
}

void LocalWeekHour(int64_t seconds, int* weekday, int* hour) {
  const std::tm local = os::LocalTime(static_cast<std::time_t>(seconds));
  *weekday = (local.tm_wday + 6) % 7;  // tm counts from Sunday
  *hour = local.tm_hour;
}

int64_t NextFileCut(int64_t seconds, int minutes) {
  if (!ValidFileMinutes(minutes)) minutes = 60;
  const std::tm local = os::LocalTime(static_cast<std::time_t>(seconds));
  const int64_t into = int64_t(local.tm_min % minutes) * 60 + local.tm_sec;
  return seconds - into + int64_t(minutes) * 60;
}

int64_t NextPlanChange(const RecordingPlan& plan, int64_t seconds) {
  if (!plan.scheduled) return 0;
  const PlanMode now = plan.ModeAtTime(seconds);
  int64_t at = seconds;
  // A week of hours and one more, for the hour a clock change repeats.
  for (int i = 0; i <= RecordingPlan::kDays * RecordingPlan::kHours; ++i) {
    at = NextFileCut(at, 60);
    if (plan.ModeAtTime(at) != now) return at;
  }
  return 0;
}

std::string FormatRecordingPlan(const RecordingPlan& plan) {
  std::string text = plan.scheduled ? "schedule" : PlanModeName(plan.mode);
  text += " files=" + std::to_string(ValidFileMinutes(plan.file_minutes) ? plan.file_minutes : 60);
  if (plan.scheduled) {
    text += " week=";
    for (size_t day = 0; day < plan.week.size(); ++day) {
      if (day) text += '/';
      for (PlanMode cell : plan.week[day]) text += kCellLetters[static_cast<size_t>(cell) & 3];
    }
  }
  return text;
}

bool ParseRecordingPlan(std::string_view text, RecordingPlan* plan, std::string* error) {
  if (text.size() > RecordingPlan::kMaxTextLength) return Fail(error, "too long for a plan");
  const std::vector<std::string_view> words = Words(text);
  if (words.empty()) return Fail(error, "no plan");
  RecordingPlan parsed;
  parsed.scheduled = words[0] == "schedule";
  if (!parsed.scheduled && !ParseMode(words[0], &parsed.mode))
    return Fail(error, "unknown plan '" + std::string(words[0]) + "'");
  bool haveWeek = false;
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string_view word = words[i];
    const size_t equals = word.find('=');
    if (equals == std::string_view::npos || equals == 0) return Fail(error, "'" + std::string(word) + "' is no key=value");
    const std::string_view key = word.substr(0, equals), value = word.substr(equals + 1);
    if (key == "files") {
      if (value.empty() || value.size() > 2) return Fail(error, "bad files=");
      int minutes = 0;
      for (char c : value) {
        if (c < '0' || c > '9') return Fail(error, "bad files=");
        minutes = minutes * 10 + (c - '0');
      }
      if (!ValidFileMinutes(minutes)) return Fail(error, "files= must divide an hour");
      parsed.file_minutes = minutes;
    } else if (key == "week") {
      constexpr size_t kLength = RecordingPlan::kDays * (RecordingPlan::kHours + 1) - 1;
      if (value.size() != kLength) return Fail(error, "week= needs 7 days of 24 cells");
      for (size_t day = 0; day < RecordingPlan::kDays; ++day) {
        const size_t start = day * (RecordingPlan::kHours + 1);
        if (day > 0 && value[start - 1] != '/') return Fail(error, "week= days are separated by '/'");
        for (size_t hour = 0; hour < RecordingPlan::kHours; ++hour)
          if (!CellMode(value[start + hour], &parsed.week[day][hour])) return Fail(error, "bad cell in week=");
      }
      haveWeek = true;
    }
    // Any other key belongs to a later version.
  }
  if (parsed.scheduled != haveWeek) return Fail(error, parsed.scheduled ? "schedule needs week=" : "week= is for schedule");
  *plan = parsed;
  return true;
}

}  // namespace node
