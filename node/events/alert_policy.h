#pragma once
// When a camera's motion, or its link lost and back, becomes an alert. An
// alert that fires every few seconds gets switched off, so each camera has
// a cooldown: after an alert, the same cause within it is logged, not
// alerted. And an arm schedule, the hours of the week in which it alerts at
// all (weekday x hour, in local time).
//
// The policy holds no clock: each question carries the time, from the
// caller's clock (os::MonotonicMs and the local time in the programs, a
// fake one in tests). AlertProgram runs the user's program for an alert.
//
// One thread owns each object.
#include <bitset>
#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "os/child_process.h"

namespace node {

enum class AlertCause { kMotion, kLinkLost, kLinkBack };
// "motion", "lost", "back": what an alert program is told.
const char* AlertCauseName(AlertCause cause);

// The moment a question is asked: a monotonic clock for the cooldown, the
// local weekday (0 Sunday .. 6 Saturday, as std::tm counts) and hour for
// the schedule.
struct AlertTime {
  uint64_t monotonicMs = 0;
  int weekday = 0;
  int hour = 0;
  // Now, on the system's clocks.
  static AlertTime Now();
};

// Hours of the week, weekday by hour.
class ArmSchedule {
 public:
  static ArmSchedule Always();
  bool Armed(int weekday, int hour) const;
  void Set(int weekday, int hour, bool armed);
  // Hours from `fromHour` up to but not including `toHour` on every weekday
  // in `weekdays` (bit 0 Sunday); a span past midnight (22 to 6) runs into
  // the next day.
  void SetHours(unsigned weekdays, int from_hour, int to_hour, bool armed);
  bool operator==(const ArmSchedule& other) const { return hours_ == other.hours_; }

 private:
  std::bitset<7 * 24> hours_;
};

class AlertPolicy {
 public:
  static constexpr uint64_t kDefaultCooldownMs = 60000;

  enum class Verdict {
    kAlert,     // alert now
    kCooldown,  // log only: the same cause alerted less than the cooldown ago
    kDisarmed,  // log only: outside the arm schedule
  };

  void SetCooldownMs(uint64_t ms) { cooldown_ms_ = ms; }
  uint64_t CooldownMs() const { return cooldown_ms_; }
  void SetSchedule(const ArmSchedule& schedule) { schedule_ = schedule; }
  const ArmSchedule& Schedule() const { return schedule_; }

  // A motion started, or the link went or came back, at `now`. The
  // cooldown starts again with each alert (not with what it swallows), so
  // a scene that moves all night still alerts once per cooldown.
  Verdict Consider(AlertCause cause, const AlertTime& now);

 private:
  uint64_t cooldown_ms_ = kDefaultCooldownMs;
  ArmSchedule schedule_ = ArmSchedule::Always();
  struct Last {
    bool alerted = false;
    uint64_t atMs = 0;
  };
  Last last_[3];
};

// The user's program, run for each alert with the camera's name, the local
// time ("YYYY-MM-DD HH:MM:SS") and the cause as three separate arguments,
// never through a shell. Programs that ended are reaped at the next run.
class AlertProgram {
 public:
  explicit AlertProgram(std::string program) : program_(std::move(program)) {}
  const std::string& program() const { return program_; }
  static std::vector<std::string> Arguments(const std::string& camera, std::time_t when, AlertCause cause);
  // False with a reason when it cannot be started.
  bool Run(const std::string& camera, std::time_t when, AlertCause cause, std::string* error);
  // Waits up to `timeoutMs` for every program started to end (tests, exit).
  bool WaitAll(int timeout_ms);

 private:
  std::string program_;
  std::vector<os::ChildProcess> running_;
};

}  // namespace node
