// Alerts that reach a user without flooding them: the cooldown after an
// alert, the arm schedule, and the program an alert runs, which gets the
// camera's name, the time and the cause as separate arguments whatever the
// name holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "node/events/alert_policy.h"
#include "os/file.h"
#include "os/local_time.h"

namespace node {
namespace {

using Verdict = AlertPolicy::Verdict;

const char* Name(Verdict v) {
  return v == Verdict::kAlert ? "alert" : v == Verdict::kCooldown ? "cooldown" : "disarmed";
}

TEST(AlertPolicy, TheCooldownLogsWhatFollowsAnAlertAndStartsAgainWithTheNextAlert) {
  struct Step {
    uint64_t ms;
    AlertCause cause;
    Verdict verdict;
  };
  const Step steps[] = {
      {1000, AlertCause::kMotion, Verdict::kAlert},
      {30000, AlertCause::kMotion, Verdict::kCooldown},
      {60999, AlertCause::kMotion, Verdict::kCooldown},
      {61000, AlertCause::kMotion, Verdict::kAlert},  // 60 s after the alert, whatever it swallowed
      {62000, AlertCause::kLinkLost, Verdict::kAlert},  // each cause cools down on its own
      {63000, AlertCause::kLinkBack, Verdict::kAlert},
      {64000, AlertCause::kLinkLost, Verdict::kCooldown},
      {90000, AlertCause::kMotion, Verdict::kCooldown},
      {5000, AlertCause::kMotion, Verdict::kAlert},  // a clock that went back ends the cooldown
  };
  AlertPolicy policy;
  for (const Step& s : steps)
    EXPECT_STREQ(Name(policy.Consider(s.cause, {s.ms, 2, 12})), Name(s.verdict))
        << AlertCauseName(s.cause) << " at " << s.ms << " ms";

  AlertPolicy eager;
  eager.SetCooldownMs(0);
  for (uint64_t ms : {1000, 1001, 1002}) EXPECT_EQ(eager.Consider(AlertCause::kMotion, {ms, 2, 12}), Verdict::kAlert);
}

TEST(AlertPolicy, OnlyArmedHoursAlertAndASpanPastMidnightRunsIntoTheNextDay) {
  ArmSchedule nights;
  nights.SetHours(1u << 5 | 1u << 6, 22, 6, true);  // Friday and Saturday nights
  struct Hour {
    int weekday, hour;
    bool armed;
  };
  const Hour hours[] = {{5, 21, false}, {5, 22, true}, {5, 23, true}, {6, 0, true},  {6, 5, true},
                        {6, 6, false},  {6, 22, true}, {0, 5, true},  {0, 6, false}, {4, 23, false}};
  for (const Hour& h : hours)
    EXPECT_EQ(nights.Armed(h.weekday, h.hour), h.armed) << "weekday " << h.weekday << " hour " << h.hour;

  AlertPolicy policy;
  policy.SetSchedule(nights);
  EXPECT_EQ(policy.Consider(AlertCause::kMotion, {1000, 5, 21}), Verdict::kDisarmed);
  // What came while disarmed starts no cooldown.
  EXPECT_EQ(policy.Consider(AlertCause::kMotion, {2000, 5, 22}), Verdict::kAlert);
  EXPECT_EQ(policy.Consider(AlertCause::kMotion, {3000, 5, 22}), Verdict::kCooldown);
}

// The program runs for real (a helper that writes down its arguments): on
// Linux spawned with its argument vector, on Windows through the quoting of
// its command line.
TEST(AlertProgram, GetsCameraTimeAndCauseAsSeparateArgumentsWhateverTheNameHolds) {
  const std::string helper = HALYARD_PRINT_ARGS;
  const std::time_t when = 1700000000;
  for (const std::string camera : {"a\"b & c", "C:\\my dir\\", "", "%PATH% $(id) `id` ; |", "\\\"", "one two"}) {
    os::RemoveFile(helper + ".args");
    AlertProgram program(helper);
    std::string error;
    ASSERT_TRUE(program.Run(camera, when, AlertCause::kLinkBack, &error)) << error;
    ASSERT_TRUE(program.WaitAll(20000)) << "the helper did not end";
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(os::ReadWholeFile(helper + ".args", &bytes)) << "the helper wrote nothing for " << camera;
    std::vector<std::string> got;
    std::string arg;
    for (uint8_t b : bytes) {
      if (b) {
        arg += char(b);
      } else {
        got.push_back(arg);
        arg.clear();
      }
    }
    const std::vector<std::string> expected = {camera, os::FormatLocalTime("%Y-%m-%d %H:%M:%S", when), "back"};
    EXPECT_EQ(got, expected) << "camera named [" << camera << "]";
  }
  os::RemoveFile(helper + ".args");

  AlertProgram missing(helper + "-not-there");
  std::string error;
  EXPECT_FALSE(missing.Run("cam", when, AlertCause::kMotion, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace node
