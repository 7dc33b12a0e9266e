#include <gtest/gtest.h>

#include <algorithm>

#include "record/seek_slider_state.h"
#include "record/stored_files.h"

namespace record {
namespace {

const net::RecordTime kNow{7, 12, 2026, 23, 5, 9};

net::FileRecord File(const std::string& name, net::RecordTime start = {6, 12, 2026, 20, 0, 0},
                     net::RecordTime end = {6, 12, 2026, 20, 0, 10}) {
  net::FileRecord r;
  r.file_name = name;
  r.camera_id = "CAM-1";
  r.value288 = 10000;
  r.start = start;
  r.end = end;
  return r;
}

TEST(StoredFilePlaces, TheLastFolderIsTheChildAndTheOneAboveItTheRoot) {
  struct Case {
    const char* name;
    FilePlace place;
  } cases[] = {
      {"rec/cam1/a.mp4", {"rec", "cam1", "a.mp4"}},
      {"D:\\rec\\cam1\\b.mp4", {"rec", "cam1", "b.mp4"}},
      {"2026/12/06/CAM-1_200000.mp4", {"12", "06", "CAM-1_200000.mp4"}},
      {"cam1/c.mp4", {"", "cam1", "c.mp4"}},
      {"d.mp4", {"", "", "d.mp4"}},
  };
  for (const Case& c : cases) {
    const FilePlace p = PlaceOf(c.name);
    EXPECT_EQ(p.root, c.place.root) << c.name;
    EXPECT_EQ(p.child, c.place.child) << c.name;
    EXPECT_EQ(p.base_name, c.place.base_name) << c.name;
  }
}

TEST(StoredFileTree, SharedFoldersAreReusedAndNothingIsSorted) {
  StoredFileTree tree;
  const StoredFileTree::Filed first = tree.Add(File("rec/cam1/b.mp4"), kNow);
  EXPECT_TRUE(first.new_root && first.new_child);
  const StoredFileTree::Filed second = tree.Add(File("rec/cam1/a.mp4"), kNow);
  EXPECT_FALSE(second.new_root || second.new_child) << "rec/cam1 shared: one root, one child";
  tree.Add(File("zoo/cam9/c.mp4"), kNow);
  tree.Add(File("rec/cam0/d.mp4"), kNow);
  ASSERT_EQ(tree.roots().size(), 2u);
  EXPECT_EQ(tree.roots()[0].name, "rec") << "in order of appearance";
  EXPECT_EQ(tree.roots()[1].name, "zoo");
  const auto& children = tree.roots()[0].children;
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0]->name, "cam1");
  EXPECT_EQ(children[1]->name, "cam0");
  ASSERT_EQ(children[0]->files.size(), 2u);
  EXPECT_EQ(children[0]->files[0].file_name, "rec/cam1/b.mp4");
  EXPECT_EQ(children[0]->files[1].file_name, "rec/cam1/a.mp4");
  EXPECT_EQ(tree.FileCount(), 4u);

  const StoredFileTree::Child* kept = children[0].get();
  tree.Add(File("new/one/e.mp4"), kNow);  // more roots: the children stay where they are
  EXPECT_EQ(tree.roots()[0].children[0].get(), kept);
  tree.Clear();
  EXPECT_TRUE(tree.roots().empty());
  EXPECT_EQ(tree.FileCount(), 0u);
}

TEST(StoredFileTree, InvalidTimeGroupsAreFiledAsNow) {
  StoredFileTree tree;
  tree.Add(File("rec/cam1/x.mp4", {91, 99, 7295, 77, 88, 99}, {6, 12, 2026, 20, 0, 10}), kNow);
  const FileEntry& entry = tree.roots()[0].children[0]->files[0];
  EXPECT_EQ(entry.start, kNow);
  EXPECT_EQ(entry.end, (net::RecordTime{6, 12, 2026, 20, 0, 10}));
  EXPECT_EQ(entry.camera_id, "CAM-1");
  EXPECT_EQ(entry.value, 10000u);
  EXPECT_EQ(entry.length_seconds(), 0) << "an end before the start is no length";
}

TEST(FileLengths, DayFormFromOneDayUpHourFormBelow) {
  struct Case {
    const char* name;
    net::RecordTime start, end;
    const char* text;
  } cases[] = {
      {"25 hours", {6, 12, 2026, 20, 0, 0}, {7, 12, 2026, 21, 0, 0}, "1 - 01 : 00 : 00"},
      {"59 minutes", {6, 12, 2026, 20, 0, 0}, {6, 12, 2026, 20, 59, 0}, "00 : 59 : 00"},
      {"exactly one day", {6, 12, 2026, 0, 0, 0}, {7, 12, 2026, 0, 0, 0}, "1 - 00 : 00 : 00"},
      {"one second short of a day", {6, 12, 2026, 0, 0, 1}, {7, 12, 2026, 0, 0, 0}, "23 : 59 : 59"},
      {"over a month end", {31, 1, 2026, 23, 0, 0}, {1, 2, 2026, 1, 2, 3}, "02 : 02 : 03"},
      {"over a leap day", {28, 2, 2028, 12, 0, 0}, {1, 3, 2028, 12, 0, 0}, "2 - 00 : 00 : 00"},
      {"over a year end", {31, 12, 2026, 23, 59, 59}, {1, 1, 2027, 0, 0, 0}, "00 : 00 : 01"},
      {"day 0 is the last of the month before", {31, 1, 2026, 0, 0, 0}, {0, 2, 2026, 0, 0, 0}, "00 : 00 : 00"},
      {"month 0 is December before", {1, 12, 2025, 0, 0, 0}, {1, 0, 2026, 0, 0, 0}, "00 : 00 : 00"},
      {"many days", {1, 1, 2026, 0, 0, 0}, {1, 1, 2027, 0, 0, 5}, "365 - 00 : 00 : 05"},
      {"end before start", {7, 12, 2026, 0, 0, 0}, {6, 12, 2026, 0, 0, 0}, "00 : 00 : 00"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatLength(LengthSeconds(c.start, c.end)), c.text) << c.name;
  EXPECT_EQ(FormatStart({6, 12, 2026, 20, 5, 9}), "2026-12-06 20:05:09");
}

TEST(FileTableOrder, ByNameLengthOrStartWithTheFullNameBreakingTies) {
  const FileEntry a{"x/b/a.mp4", "C", 0, {1, 1, 2026, 0, 0, 0}, {1, 1, 2026, 2, 0, 0}};
  const FileEntry b{"x/a/b.mp4", "C", 0, {1, 1, 2025, 0, 0, 0}, {1, 1, 2025, 1, 0, 0}};
  const FileEntry c{"x/c/b.mp4", "C", 0, {1, 1, 2024, 0, 0, 0}, {1, 1, 2024, 1, 0, 0}};
  std::vector<FileEntry> files{c, a, b};
  auto names = [&](FileColumn column) {
    std::sort(files.begin(), files.end(), [&](const FileEntry& l, const FileEntry& r) { return ComesBefore(column, l, r); });
    std::vector<std::string> out;
    for (const FileEntry& f : files) out.push_back(f.file_name);
    return out;
  };
  EXPECT_EQ(names(FileColumn::kName), (std::vector<std::string>{"x/b/a.mp4", "x/a/b.mp4", "x/c/b.mp4"}));
  EXPECT_EQ(names(FileColumn::kLength), (std::vector<std::string>{"x/a/b.mp4", "x/c/b.mp4", "x/b/a.mp4"}));
  EXPECT_EQ(names(FileColumn::kStart), (std::vector<std::string>{"x/c/b.mp4", "x/a/b.mp4", "x/b/a.mp4"}));
}

TEST(SeekSlider, FollowsPositionsUnlessHeldAndSeeksToTheReleasedShare) {
  struct Case {
    uint64_t position, length;
    int slider;
  } cases[] = {{300, 600, 50}, {0, 600, 0}, {599, 600, 99}, {600, 600, 100}, {900, 600, 100}, {5, 0, 0},
               {4000000000u, 4294967295u, 93}};
  for (const Case& c : cases)
    EXPECT_EQ(SeekSliderState::SliderFor(c.position, c.length), c.slider) << c.position << "/" << c.length;

  SeekSliderState state;
  EXPECT_EQ(state.Open(5001, 600, 150), 25);
  EXPECT_EQ(state.channel(), 5001u);
  EXPECT_EQ(state.OnPosition(240), 40);
  state.OnDrag(70);
  EXPECT_EQ(state.OnPosition(300), -1) << "the user's drag wins";
  EXPECT_EQ(state.OnRelease(50), 300u) << "released at 50 on a length of 600";
  EXPECT_EQ(state.OnPosition(330), -1) << "held while the server restarts the file";
  state.OnHoldOver();
  EXPECT_EQ(state.OnPosition(330), 55);
  EXPECT_EQ(SeekSliderState::TargetFor(150, 600), 600u) << "clamped to the end";
  EXPECT_EQ(SeekSliderState::TargetFor(-3, 600), 0u);
  EXPECT_EQ(state.Open(5003, 0, 10), 0) << "a new file, no length yet";
  EXPECT_FALSE(state.dragging());
}

TEST(SeekSlider, ShowsThePositionOrWhileHeldTheTimeTheReleaseSeeksTo) {
  EXPECT_EQ(SeekSliderState::FormatTime(0), "00:00:00");
  EXPECT_EQ(SeekSliderState::FormatTime(751999), "00:12:31") << "whole seconds, cut";
  EXPECT_EQ(SeekSliderState::FormatTime(3600000), "01:00:00");
  EXPECT_EQ(SeekSliderState::FormatTime(4294967295u), "1193:02:47") << "the longest 32-bit position";

  const uint64_t hour = 3600000;
  SeekSliderState state;
  state.Open(7, hour, 751000);
  EXPECT_EQ(state.ShownTime(), 751000u) << "the playback position";
  state.OnDrag(92);
  EXPECT_EQ(state.ShownTime(), hour * 92 / 100) << "under the thumb while dragging: the last five minutes";
  EXPECT_EQ(state.OnPosition(760000), -1);
  EXPECT_EQ(state.ShownTime(), hour * 92 / 100) << "positions do not move the time while held";
  state.OnRelease(50);
  EXPECT_EQ(state.ShownTime(), hour / 2) << "where the file restarts";
  state.OnHoldOver();
  state.OnPosition(hour / 2 + 1500);
  EXPECT_EQ(state.ShownTime(), hour / 2 + 1500) << "the position again once the hold is over";
}

}  // namespace
}  // namespace record
