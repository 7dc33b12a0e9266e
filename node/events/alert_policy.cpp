#include "node/events/alert_policy.h"

#include <algorithm>

#include "os/clock.h"
#include "os/local_time.h"

namespace node {

const char* AlertCauseName(AlertCause cause) {
  switch (cause) {
    case AlertCause::kMotion: return "motion";
    case AlertCause::kLinkLost: return "lost";
    case AlertCause::kLinkBack: return "back";
  }
  return "motion";
}

AlertTime AlertTime::Now() {
  const std::tm local = os::LocalTime(std::time(nullptr));
  return {os::MonotonicMs(), local.tm_wday, local.tm_hour};
}

ArmSchedule ArmSchedule::Always() {
  ArmSchedule s;
  s.hours_.set();
  return s;
}

bool ArmSchedule::Armed(int weekday, int hour) const {
  if (weekday < 0 || weekday > 6 || hour < 0 || hour > 23) return false;
  return hours_[static_cast<size_t>(weekday * 24 + hour)];
}

void ArmSchedule::Set(int weekday, int hour, bool armed) {
  if (weekday < 0 || weekday > 6 || hour < 0 || hour > 23) return;
  hours_[static_cast<size_t>(weekday * 24 + hour)] = armed;
}

void ArmSchedule::SetHours(unsigned weekdays, int from_hour, int to_hour, bool armed) {
  from_hour = std::clamp(from_hour, 0, 24);
  to_hour = std::clamp(to_hour, 0, 24);
  for (int day = 0; day < 7; ++day) {
    if (!(weekdays >> day & 1)) continue;
    // 22 to 6 on Friday: Friday 22..23, Saturday 0..5.
    const int hours = to_hour > from_hour ? to_hour - from_hour : to_hour + 24 - from_hour;
    for (int k = 0; k < hours && from_hour != to_hour; ++k) {
      const int at = day * 24 + from_hour + k;
      hours_[static_cast<size_t>(at % (7 * 24))] = armed;
    }
  }
}

AlertPolicy::Verdict AlertPolicy::Consider(AlertCause cause, const AlertTime& now) {
  if (!schedule_.Armed(now.weekday, now.hour)) return Verdict::kDisarmed;
  Last& last = last_[static_cast<int>(cause)];
  // A clock that went back (another machine's, a test's) ends the cooldown.
  if (last.alerted && now.monotonicMs >= last.atMs && now.monotonicMs - last.atMs < cooldown_ms_)
    return Verdict::kCooldown;
  last = {true, now.monotonicMs};
  return Verdict::kAlert;
}

std::vector<std::string> AlertProgram::Arguments(const std::string& camera, std::time_t when, AlertCause cause) {
  return {camera, os::FormatLocalTime("%Y-%m-%d %H:%M:%S", when), AlertCauseName(cause)};
}

bool AlertProgram::Run(const std::string& camera, std::time_t when, AlertCause cause, std::string* error) {
  running_.erase(std::remove_if(running_.begin(), running_.end(), [](os::ChildProcess& p) { return p.Wait(0, nullptr); }),
                 running_.end());
  os::ChildProcess child;
  if (!child.Start(program_, Arguments(camera, when, cause), error)) return false;
  running_.push_back(std::move(child));
  return true;
}

bool AlertProgram::WaitAll(int timeout_ms) {
  const uint64_t until = os::MonotonicMs() + static_cast<uint64_t>(std::max(0, timeout_ms));
  for (os::ChildProcess& p : running_) {
    const uint64_t now = os::MonotonicMs();
    if (!p.Wait(now < until ? static_cast<int>(until - now) : 0, nullptr)) return false;
  }
  running_.clear();
  return true;
}

}  // namespace node
