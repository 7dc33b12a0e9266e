#pragma once
// What a camera's alert does and when, as the user set it, and the stored
// form of its arm schedule. Portable: the window side reads and writes the
// registry and carries the alert out (camera_alerts.h).
#include <string>

#include "node/events/alert_policy.h"

namespace app::alerts {

struct AlertRules {
  bool sound = false;          // play the WAV file, or the program's own sound where none is chosen
  std::string sound_file;
  bool balloon = false;        // a tray balloon with the camera and the time
  bool bring_forward = false;  // open, restore and flash the camera's view
  bool run_program = false;    // the program with the camera, time and cause as arguments
  std::string program;
  bool on_outage = true;       // also when the camera is lost and when its pictures come back
  int cooldown_s = static_cast<int>(node::AlertPolicy::kDefaultCooldownMs / 1000);
  node::ArmSchedule schedule = node::ArmSchedule::Always();

  static constexpr int kMaxCooldownS = 24 * 3600;
  bool AnyAction() const { return sound || balloon || bring_forward || (run_program && !program.empty()); }
  bool operator==(const AlertRules&) const = default;
};

// The armed hours as the dialog edits them: the same span of hours on each
// chosen weekday, from `from_hour` up to `to_hour` (a span past midnight,
// 22 to 6, runs into the next day).
struct ArmSpan {
  unsigned weekdays = 0x7F;  // bit 0 Sunday
  int from_hour = 0;         // 0..23
  int to_hour = 24;          // 0..24, not from_hour
  bool operator==(const ArmSpan&) const = default;
};
node::ArmSchedule ScheduleOfSpan(const ArmSpan& span);
// The span that gives exactly `schedule`; false where none does (nothing
// armed, or hours set some other way).
bool SpanOfSchedule(const node::ArmSchedule& schedule, ArmSpan* span);

// 168 characters, '1' armed and '0' not, Sunday 00:00 first.
std::string ScheduleToText(const node::ArmSchedule& schedule);
// False (and `schedule` untouched) for anything else.
bool ScheduleFromText(const std::string& text, node::ArmSchedule* schedule);

// What an alert of `cause` is called in the log and the balloon: "Motion",
// "Camera lost", "Camera back".
const char* AlertSubject(node::AlertCause cause);

// The event log's line for an alert: what was done, or why nothing was.
// `done` lists the actions taken ("sound", "balloon", ...); `failure` the
// one that could not be (empty: none).
std::string AlertLogText(node::AlertCause cause, node::AlertPolicy::Verdict verdict, const std::string& done,
                         const std::string& failure);

}  // namespace app::alerts
