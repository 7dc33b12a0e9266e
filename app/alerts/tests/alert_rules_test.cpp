#include "app/alerts/alert_rules.h"

#include <gtest/gtest.h>

namespace app::alerts {
namespace {

// The stored schedule: a night span past midnight lands on the right hours
// of the right days, and anything but 168 digits 0/1 is refused untouched.
TEST(AlertRules, TheStoredScheduleKeepsItsHoursAndRefusesAnythingElse) {
  node::ArmSchedule nights;
  nights.SetHours(1u << 5, 22, 6, true);  // Friday 22:00 to Saturday 06:00
  const std::string text = ScheduleToText(nights);
  ASSERT_EQ(168u, text.size());
  EXPECT_EQ('1', text[5 * 24 + 22]);
  EXPECT_EQ('1', text[6 * 24 + 5]);
  EXPECT_EQ('0', text[6 * 24 + 6]);
  EXPECT_EQ('0', text[5 * 24 + 21]);
  node::ArmSchedule read;
  ASSERT_TRUE(ScheduleFromText(text, &read));
  EXPECT_EQ(nights, read);

  const node::ArmSchedule before = read;
  for (const std::string& bad : {std::string(), std::string(167, '1'), std::string(169, '1'), std::string(167, '1') + "2"})
    EXPECT_FALSE(ScheduleFromText(bad, &read)) << bad.size();
  EXPECT_EQ(before, read);
}

// The dialog shows a schedule as days and a span of hours: every span it
// can save reads back as itself (nights past midnight included), "always"
// is every day 0 to 24, and hours set some other way are not forced into a
// span that would change them.
TEST(AlertRules, ASpanOfHoursOnChosenDaysReadsBackFromItsSchedule) {
  const ArmSpan spans[] = {{0x7F, 0, 24}, {0x3E, 18, 8}, {1u << 5, 22, 6}, {0x41, 0, 24}, {0x02, 9, 17}, {0x7F, 23, 0}};
  for (const ArmSpan& span : spans) {
    ArmSpan read{0, -1, -1};
    ASSERT_TRUE(SpanOfSchedule(ScheduleOfSpan(span), &read)) << span.weekdays << " " << span.from_hour;
    EXPECT_EQ(ScheduleOfSpan(span), ScheduleOfSpan(read)) << span.weekdays << " " << span.from_hour;
    EXPECT_EQ(span.weekdays, read.weekdays) << span.from_hour << " to " << span.to_hour;
  }
  ArmSpan always{0, -1, -1};
  ASSERT_TRUE(SpanOfSchedule(node::ArmSchedule::Always(), &always));
  EXPECT_EQ((ArmSpan{0x7F, 0, 24}), always);

  node::ArmSchedule two_spans;
  two_spans.SetHours(0x02, 1, 3, true);
  two_spans.SetHours(0x02, 5, 7, true);
  ArmSpan untouched{0x7F, 0, 24};
  EXPECT_FALSE(SpanOfSchedule(two_spans, &untouched));
  EXPECT_FALSE(SpanOfSchedule(node::ArmSchedule(), &untouched)) << "nothing armed";
  EXPECT_EQ((ArmSpan{0x7F, 0, 24}), untouched);
}

TEST(AlertRules, TheLogLineSaysWhatWasDoneOrWhyNot) {
  using V = node::AlertPolicy::Verdict;
  using C = node::AlertCause;
  EXPECT_EQ("Motion alert: sound, balloon", AlertLogText(C::kMotion, V::kAlert, "sound, balloon", ""));
  EXPECT_EQ("Motion alert: balloon; cannot play a.wav",
            AlertLogText(C::kMotion, V::kAlert, "balloon", "cannot play a.wav"));
  EXPECT_EQ("Motion within the alert's cooldown: not alerted", AlertLogText(C::kMotion, V::kCooldown, "", ""));
  EXPECT_EQ("Camera lost outside the alert's armed hours: not alerted",
            AlertLogText(C::kLinkLost, V::kDisarmed, "", ""));
  EXPECT_EQ("Camera back alert: nothing to do", AlertLogText(C::kLinkBack, V::kAlert, "", ""));
}

}  // namespace
}  // namespace app::alerts
