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
