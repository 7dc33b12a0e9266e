#include "app/alerts/alert_rules.h"

namespace app::alerts {

namespace {

// Every hour armed in `part` is armed in `whole`.
bool Within(const node::ArmSchedule& part, const node::ArmSchedule& whole) {
  for (int i = 0; i < 7 * 24; ++i)
    if (part.Armed(i / 24, i % 24) && !whole.Armed(i / 24, i % 24)) return false;
  return true;
}

}  // namespace

node::ArmSchedule ScheduleOfSpan(const ArmSpan& span) {
  node::ArmSchedule schedule;
  schedule.SetHours(span.weekdays & 0x7Fu, span.from_hour, span.to_hour, true);
  return schedule;
}

bool SpanOfSchedule(const node::ArmSchedule& schedule, ArmSpan* span) {
  // At most 24 x 24 spans, each tried on the days whose hours it covers.
  for (int from = 0; from < 24; ++from) {
    for (int to = 0; to <= 24; ++to) {
      if (to == from) continue;
      ArmSpan tried{0, from, to};
      for (int day = 0; day < 7; ++day)
        if (schedule.Armed(day, from) && Within(ScheduleOfSpan({1u << day, from, to}), schedule))
          tried.weekdays |= 1u << day;
      if (tried.weekdays != 0 && ScheduleOfSpan(tried) == schedule) {
        *span = tried;
        return true;
      }
    }
  }
  return false;
}

std::string ScheduleToText(const node::ArmSchedule& schedule) {
  std::string text;
  text.reserve(7 * 24);
  for (int day = 0; day < 7; ++day)
    for (int hour = 0; hour < 24; ++hour) text += schedule.Armed(day, hour) ? '1' : '0';
  return text;
}

bool ScheduleFromText(const std::string& text, node::ArmSchedule* schedule) {
  if (text.size() != 7 * 24 || text.find_first_not_of("01") != std::string::npos) return false;
  node::ArmSchedule read = node::ArmSchedule::Always();
  for (int i = 0; i < 7 * 24; ++i) read.Set(i / 24, i % 24, text[size_t(i)] == '1');
  *schedule = read;
  return true;
}

const char* AlertSubject(node::AlertCause cause) {
  switch (cause) {
    case node::AlertCause::kLinkLost: return "Camera lost";
    case node::AlertCause::kLinkBack: return "Camera back";
    case node::AlertCause::kMotion: break;
  }
  return "Motion";
}

std::string AlertLogText(node::AlertCause cause, node::AlertPolicy::Verdict verdict, const std::string& done,
                         const std::string& failure) {
  const std::string subject = AlertSubject(cause);
  switch (verdict) {
    case node::AlertPolicy::Verdict::kCooldown: return subject + " within the alert's cooldown: not alerted";
    case node::AlertPolicy::Verdict::kDisarmed: return subject + " outside the alert's armed hours: not alerted";
    case node::AlertPolicy::Verdict::kAlert: break;
  }
  std::string text = subject + " alert: " + (done.empty() ? std::string("nothing to do") : done);
  if (!failure.empty()) text += "; " + failure;
  return text;
}

}  // namespace app::alerts
