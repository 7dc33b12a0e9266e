// The repair at start-up: which recordings it looks at, what stays on the
// open-recordings list for the next start, what the user is told, and the
// thread it runs on.
#include "record/startup_repair.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "record/mp4_file.h"
#include "record/mp4_reader.h"
#include "record/tests/mp4_test_util.h"
#include "os/tests/recording_poster.h"

namespace record {
namespace {

namespace fs = std::filesystem;

using testing::ReadAll;
using testing::Utf8;
using testing::WriteAll;

using testing::WritePictures;

// A recording as a crash leaves it: no index, its journal beside it.
void CutOff(const std::string& path, uint32_t pictures) {
  Mp4File mp4;
  ASSERT_TRUE(mp4.Open(path));
  WritePictures(mp4, pictures);
  mp4.Close();
  ASSERT_TRUE(fs::exists(fs::u8path(path + ".journal")));
}

size_t PicturesIn(const std::string& path) {
  std::unique_ptr<Mp4FileOutput> file = Mp4FileOutput::OpenExisting(path, false);
  Mp4Index index;
  std::string error;
  if (!file || !ReadMp4Index(*file, &index, &error)) return 0;
  for (const Mp4ReadTrack& t : index.tracks)
    if (t.handler == "vide") return t.samples.size();
  return 0;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

class StartupRepairFolder : public testing::ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    fs::create_directories(folder_ / "a");
    fs::create_directories(folder_ / "b");
  }
  std::string In(const char* sub, const char* name) const { return Utf8(folder_ / sub / name); }
};

TEST_F(StartupRepairFolder, FailedAndInUseRecordingsStayListedAndOnlyRepairedOrGoneOnesLeave) {
  const std::string repaired = In("a", "repaired.mp4");
  CutOff(repaired, 30);
  // A journal that belongs to another file: repair refuses it.
  const std::string mismatch = In("a", "mismatch.mp4");
  CutOff(mismatch, 12);
  std::vector<uint8_t> other = ReadAll(mismatch);
  other[other.size() / 2] ^= 0x10;
  WriteAll(mismatch, other);
  const std::string gone = In("a", "gone.mp4");
  // Still being recorded (by another program): its journal is locked.
  const std::string running = In("a", "running.mp4");
  Mp4File live;
  ASSERT_TRUE(live.Open(running));
  WritePictures(live, 5);
  const std::vector<uint8_t> runningBefore = ReadAll(running);
  const RepairResult inUse = RepairRecording(running);
  EXPECT_EQ(inUse.status, RepairStatus::kInUse) << inUse.message;

  MemoryOpenRecordingList list;
  for (const std::string& p : {repaired, mismatch, gone, running}) list.Add(p);
  const RepairReport report = RepairAtStartup(list, {Utf8(folder_ / "a")});

  EXPECT_EQ(Sorted(list.Paths()), Sorted({mismatch, running})) << "kept for the next start: the failed and the in use";
  ASSERT_EQ(report.repaired.size(), 1u);
  EXPECT_EQ(report.repaired[0].path, repaired);
  EXPECT_EQ(PicturesIn(repaired), 30u);
  EXPECT_EQ(other, ReadAll(mismatch)) << "a file whose journal does not match was touched";
  EXPECT_TRUE(fs::exists(fs::u8path(mismatch + ".journal")));
  EXPECT_EQ(ReadAll(running), runningBefore) << "a recording still running was touched";
  ASSERT_TRUE(live.Finalise());
}

// A recording whose listing never reached the disk is found by its journal,
// in the remembered folders and in the folders of the listed recordings.
TEST_F(StartupRepairFolder, UnlistedCutOffRecordingsAreFoundBesideListedOnesAndInRecentFolders) {
  const std::string listed = In("a", "listed.mp4");
  const std::string besideListed = In("a", "beside.mp4");
  const std::string inRecentFolder = In("b", "recent.mp4");
  CutOff(listed, 10);
  CutOff(besideListed, 11);
  CutOff(inRecentFolder, 12);
  MemoryOpenRecordingList list;
  list.Add(listed);
  std::vector<size_t> progress;
  const StartupRepairSources sources{list.Paths(), {Utf8(folder_ / "b"), Utf8(folder_ / "b" / ".")}};
  EXPECT_EQ(FoldersToSearch(sources), (std::vector<std::string>{Utf8(folder_ / "b"), Utf8(folder_ / "a")}))
      << "each folder once, the listed recordings' too";
  const RepairReport report = RepairAtStartup(list, sources, [&](size_t left) { progress.push_back(left); });

  std::vector<std::string> repaired;
  for (const RepairResult& r : report.repaired) repaired.push_back(r.path);
  EXPECT_EQ(repaired, (std::vector<std::string>{listed, inRecentFolder, besideListed})) << "the listed first, each once";
  EXPECT_TRUE(report.notRepaired.empty());
  EXPECT_EQ(PicturesIn(besideListed), 11u);
  EXPECT_EQ(PicturesIn(inRecentFolder), 12u);
  EXPECT_TRUE(list.Paths().empty());
  EXPECT_EQ(progress, (std::vector<size_t>{3, 2, 1, 0}));
}

TEST(StartupRepairSources, TheRunsOwnRecordingsAreLeftOutAndEachRecordingIsLookedAtOnce) {
  const StartupRepairSources sources{{"/rec/a.mp4", "/rec/b.mp4"}, {"/rec"}};
  const std::vector<std::string> found = {"/rec/./a.mp4", "/rec/c.mp4", "/rec/now.mp4"};
  // b.mp4 was listed and is open again (its view started recording the same
  // name): still the last run's to repair, as its lock will tell.
  const std::vector<std::string> openNow = {"/rec/b.mp4", "/rec/now.mp4"};
  EXPECT_EQ(RecordingsToRepair(sources, found, openNow),
            (std::vector<std::string>{"/rec/a.mp4", "/rec/b.mp4", "/rec/c.mp4"}));
}

TEST(RecordingFolders, TheNewestAreRememberedEachOnce) {
  std::vector<std::string> folders;
  for (int i = 0; i < 10; ++i) folders = RememberFolder(folders, "F" + std::to_string(i));
  EXPECT_EQ(folders, (std::vector<std::string>{"F9", "F8", "F7", "F6", "F5", "F4", "F3", "F2"}));
  folders = RememberFolder(folders, "F5");
  EXPECT_EQ(folders, (std::vector<std::string>{"F5", "F9", "F8", "F7", "F6", "F4", "F3", "F2"}));
  EXPECT_EQ(RememberFolder(folders, ""), folders);
  EXPECT_EQ(FolderOf("C:\\rec\\cam.mp4"), "C:\\rec");
  EXPECT_EQ(FolderOf("/rec/day/cam.mp4"), "/rec/day");
  EXPECT_EQ(FolderOf("cam.mp4"), "");
}

TEST_F(StartupRepairFolder, TheUserHearsOfEachRepairedRecordingWithTheTimeItKeptAndOfEachFailure) {
  const std::string kept = In("a", "kept.mp4");
  CutOff(kept, 30);  // pictures at 40 ms to 1200 ms: 1.2 s
  const std::string bare = In("a", "bare.mp4");
  const std::vector<uint8_t> keptBytes = ReadAll(kept);
  WriteAll(bare, std::vector<uint8_t>(keptBytes.begin(), keptBytes.begin() + 600));
  const std::string complete = In("a", "complete.mp4");
  {
    Mp4File mp4;
    ASSERT_TRUE(mp4.Open(complete));
    WritePictures(mp4, 3);
    ASSERT_TRUE(mp4.Finalise());
  }
  MemoryOpenRecordingList list;
  for (const std::string& p : {kept, bare, complete, In("a", "gone.mp4")}) list.Add(p);
  const std::vector<RepairNoticeLine> notice = RepairNotice(RepairAtStartup(list, std::vector<std::string>{}));
  ASSERT_EQ(notice.size(), 2u);
  EXPECT_EQ(notice[0].path, kept);
  EXPECT_TRUE(notice[0].repaired);
  EXPECT_EQ(notice[0].secondsKept, "1.2");
  EXPECT_EQ(notice[1].path, bare);
  EXPECT_FALSE(notice[1].repaired);

  EXPECT_TRUE(RepairNotice(RepairAtStartup(list, std::vector<std::string>{})).empty()) << "news at every start";
}

TEST_F(StartupRepairFolder, AStoppedRepairWritesNothingAndKeepsTheRecordingListed) {
  const std::string path = In("a", "cut.mp4");
  CutOff(path, 20);
  const std::vector<uint8_t> before = ReadAll(path);
  MemoryOpenRecordingList list;
  list.Add(path);
  std::atomic<bool> stop{true};
  EXPECT_EQ(RepairRecording(path, &stop).status, RepairStatus::kStopped);
  const RepairReport report = RepairAtStartup(list, StartupRepairSources{list.Paths(), {}}, {}, &stop);
  EXPECT_TRUE(report.repaired.empty());
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(list.Paths(), std::vector<std::string>{path});
}

using PostLog = os::testing::RecordingPoster;

TEST_F(StartupRepairFolder, TheThreadPostsItsProgressAndItsEndToTheWindow) {
  const std::string one = In("a", "one.mp4"), two = In("b", "two.mp4");
  CutOff(one, 10);
  CutOff(two, 10);
  MemoryOpenRecordingList list;
  list.Add(one);
  PostLog poster;
  StartupRepair repair(list, {list.Paths(), {Utf8(folder_ / "b")}}, poster, 77, {1001, 1002});
  repair.Start();
  ASSERT_TRUE(poster.WaitFor(1002)) << "no end posted";
  EXPECT_TRUE(repair.Finished());
  std::vector<uintptr_t> left;
  for (const os::testing::PostedMessage& e : poster.Posts()) {
    EXPECT_EQ(e.window, 77u);
    if (e.message == 1001) left.push_back(e.wparam);
  }
  EXPECT_EQ(left, (std::vector<uintptr_t>{2, 1, 0}));
  EXPECT_EQ(poster.Posts().back().message, 1002u) << "progress after the end";
  const RepairReport report = repair.TakeReport();
  EXPECT_EQ(report.repaired.size(), 2u);
  EXPECT_TRUE(list.Paths().empty());
  repair.Stop();
}

}  // namespace
}  // namespace record
