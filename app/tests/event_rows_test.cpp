// The Event Log window's rows and clipboard text, from the log's entries.
#include <gtest/gtest.h>

#include "app/event_rows.h"

namespace app {
namespace {

TEST(EventRows, RepeatedEventsShowTheirCountAndCopyAsTabbedLines) {
  node::EventLog log(100, [] { return int64_t{1700000000}; });
  log.Add(node::EventKind::kLinkLost, "Gate", "Link lost");
  log.Add(node::EventKind::kConnected, "", "Connected");
  log.Add(node::EventKind::kLinkLost, "Gate", "Link lost");
  const std::vector<EventRow> rows = EventRows(log.Entries());
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ("Link lost (2 times)", rows[0].text) << "the repetition moved its entry to the top";
  EXPECT_EQ(node::ClockText(1700000000), rows[0].time);
  const std::string t = rows[0].time;
  EXPECT_EQ(t + "\tGate\tLink lost (2 times)\r\n" + t + "\t\tConnected\r\n", ClipboardText(rows));
}

}  // namespace
}  // namespace app
