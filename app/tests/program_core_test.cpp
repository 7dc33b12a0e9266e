// Every node's context comes from ProgramCore: the link policy as it is when
// the link is made, and the seat's own parts.
#include "app/program_core.h"

#include <gtest/gtest.h>

#include "hosting/hosting_service.h"
#include "os/posted_queue.h"

namespace app {
namespace {

TEST(ProgramCoreTest, ANodeGetsThePolicyOfNowAndItsSeat) {
  os::PostedQueue queue;
  LinkPolicy now;
  ProgramCore core(queue, [&now] { return now; });
  core.MakeHosting(1);

  NodeSeat view;
  view.self = 7;
  view.index = 3;
  view.display_name = "Gate";
  now.keep_reconnecting = false;
  now.stall_ms = 4000;
  node::NodeContext first = core.NodeContextFor(view);
  EXPECT_EQ(first.hosting, &core.hosting());
  EXPECT_EQ(first.events, &core.events());
  EXPECT_EQ(first.event_log, &core.event_log());
  EXPECT_EQ(first.parent, 7u) << "a seat without a parent is its own";
  EXPECT_EQ(first.main_window, 7u);
  EXPECT_EQ(first.index, 3);
  EXPECT_EQ(first.display_name, "Gate");
  EXPECT_FALSE(first.keep_reconnecting);
  EXPECT_EQ(first.stall_ms, 4000);

  // The user changed the options: the next link follows them.
  now.keep_reconnecting = true;
  now.stall_ms = 0;
  node::NodeContext second = core.NodeContextFor(view);
  EXPECT_TRUE(second.keep_reconnecting);
  EXPECT_EQ(second.stall_ms, 0);

  // Nobody sits at a plan's link: it keeps reconnecting whatever the option says.
  now.keep_reconnecting = false;
  NodeSeat plan = view;
  plan.unattended = true;
  plan.parent = 8;
  node::NodeContext unattended = core.NodeContextFor(plan);
  EXPECT_TRUE(unattended.keep_reconnecting);
  EXPECT_EQ(unattended.parent, 8u);
}

}  // namespace
}  // namespace app
