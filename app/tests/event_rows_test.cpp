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

// The drop-down's "-" is the entries without a camera, not every entry; an
// index is read against the list as shown.
TEST(EventRows, TheFilterPicksOneCameraOrTheEntriesWithoutOne) {
  node::EventLog log(100, [] { return int64_t{1700000000}; });
  log.Add(node::EventKind::kLinkLost, "Gate", "Link lost");
  log.Add(node::EventKind::kConnected, "", "Connected");
  log.Add(node::EventKind::kResumed, "Yard", "Video resumed");
  const std::vector<std::string> listed = log.Cameras();  // "-", Gate, Yard
  ASSERT_EQ((std::vector<std::string>{"", "Gate", "Yard"}), listed);
  const struct {
    int index;
    size_t rows;
    const char* first;
  } cases[] = {{0, 3, "Video resumed"}, {1, 1, "Connected"}, {2, 1, "Link lost"}, {3, 1, "Video resumed"},
               {4, 3, "Video resumed"}, {-1, 3, "Video resumed"}};
  for (const auto& c : cases) {
    const EventFilter filter = FilterAt(listed, c.index);
    const std::vector<EventRow> rows = EventRows(Filtered(log.Entries(), filter));
    ASSERT_EQ(c.rows, rows.size()) << c.index;
    EXPECT_EQ(c.first, rows[0].text) << c.index;
    EXPECT_EQ(c.index >= 1 && c.index <= 3 ? c.index : 0, IndexOf(listed, filter)) << c.index;
  }
  EXPECT_EQ(0, IndexOf({"Gate"}, {false, "Yard"})) << "a camera that aged out";
}

}  // namespace
}  // namespace app
