// When a direct view tries again: three attempts a fixed wait apart, or,
// kept reconnecting, for ever with growing waits that start short again
// only after a link that worked and stayed up.
#include <gtest/gtest.h>

#include "net/reconnect_policy.h"

namespace net {
namespace {

std::vector<int> Waits(ReconnectPolicy& policy, int runs_of_one) {
  std::vector<int> waits;
  for (int i = 0; i < runs_of_one; ++i) waits.push_back(policy.Next(1).wait_ms);
  return waits;
}

TEST(ReconnectPolicy, WithoutKeepingThreeAttemptsPerRunAFixedWaitApart) {
  ReconnectPolicy policy(false, ReconnectWaits{});
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(0, policy.Next(1).wait_ms) << "a run starts at once";
    EXPECT_EQ(60000, policy.Next(2).wait_ms);
    EXPECT_EQ(60000, policy.Next(3).wait_ms);
    EXPECT_FALSE(policy.Next(4).go) << "a fourth attempt";
  }
}

TEST(ReconnectPolicy, KeptWaitsGrowToTenSecondsAcrossRuns) {
  ReconnectPolicy policy(true, ReconnectWaits{});
  std::vector<int> waits;
  for (int in_run = 1; in_run <= 4; ++in_run) waits.push_back(policy.Next(in_run).wait_ms);
  // A link that came up but brought no picture: the next run goes on counting.
  for (int w : Waits(policy, 4)) waits.push_back(w);
  EXPECT_EQ((std::vector<int>{0, 1000, 2000, 4000, 8000, 10000, 10000, 10000}), waits);
  EXPECT_TRUE(policy.Next(500).go) << "kept reconnecting never gives up";
  EXPECT_EQ(10, policy.Next(1).number);
}

// A peer that accepts and drops at once is not hammered: the count starts
// afresh only after a link that worked stayed up half a minute.
TEST(ReconnectPolicy, KeptWaitsStartShortAgainOnlyAfterALinkThatWorkedStayedUp) {
  struct Case {
    const char* what;
    bool works;
    uint64_t up_ms;
    bool afresh;
  };
  for (const Case& c : {Case{"worked and stayed up", true, 30000, true}, Case{"worked, dropped at once", true, 1000, false},
                        Case{"never worked", false, 60000, false}}) {
    ReconnectPolicy policy(true, ReconnectWaits{});
    Waits(policy, 3);
    policy.LinkUp(5000);
    if (c.works) policy.LinkWorks();
    policy.LinkDown(5000 + c.up_ms);
    EXPECT_EQ(c.afresh ? 0 : 4000, policy.Next(1).wait_ms) << c.what;
  }
}

TEST(ReconnectPolicy, TheOptionTakesEffectOnTheNextAttempt) {
  ReconnectPolicy policy(true, ReconnectWaits{});
  policy.Next(1);
  policy.SetKeepReconnecting(false);
  EXPECT_FALSE(policy.Next(4).go);
  EXPECT_EQ(60000, policy.Next(2).wait_ms);
}

}  // namespace
}  // namespace net
