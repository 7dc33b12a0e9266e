// Recording plans and retention limits as the settings store keeps them,
// the plan in force at each cell of the week, and the names retention reads.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "node/storage/recording_plan.h"
#include "node/storage/retention_limits.h"
#include "node/storage/storage_layout.h"
#include "node/storage/tests/fake_storage.h"

namespace node {
namespace {

using testing::LocalTime;

std::string Week(const std::string& monday, char rest) {
  std::string week = monday;
  for (int day = 1; day < 7; ++day) week += "/" + std::string(24, rest);
  return week;
}

TEST(RecordingPlan, TheScheduleSaysWhichPlanEachCellHas) {
  // Monday: off at night, continuous by day, both in the evening; motion the rest of the week.
  RecordingPlan plan;
  ASSERT_TRUE(ParseRecordingPlan("schedule files=15 week=" + Week("------CCCCCCCCCCCCBBBBBB", 'M'), &plan));
  EXPECT_EQ(plan.file_minutes, 15);
  const struct {
    int day, hour;
    PlanMode mode;
  } cases[] = {
      {0, 0, PlanMode::kOff},         {0, 5, PlanMode::kOff},    {0, 6, PlanMode::kContinuous},
      {0, 17, PlanMode::kContinuous}, {0, 18, PlanMode::kContinuousMotion}, {0, 23, PlanMode::kContinuousMotion},
      {1, 0, PlanMode::kMotion},      {6, 23, PlanMode::kMotion},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plan.ModeAt(c.day, c.hour), c.mode) << "day " << c.day << " hour " << c.hour;
    EXPECT_EQ(plan.ModeAtTime(LocalTime(c.day, c.hour, 30)), c.mode) << "local day " << c.day << " hour " << c.hour;
  }
  EXPECT_EQ(NextPlanChange(plan, LocalTime(0, 2, 10)), LocalTime(0, 6));
  EXPECT_EQ(NextPlanChange(plan, LocalTime(0, 19)), LocalTime(1, 0));
  // Sunday's motion runs on into Monday's night, which is off.
  EXPECT_EQ(NextPlanChange(plan, LocalTime(2, 12)), LocalTime(7, 0));
  plan.scheduled = false;
  plan.mode = PlanMode::kMotion;
  EXPECT_EQ(plan.ModeAt(0, 0), PlanMode::kMotion);
  EXPECT_EQ(NextPlanChange(plan, LocalTime(0, 0)), 0);
}

TEST(RecordingPlan, FilesAreCutAtWholeMultiplesPastTheHour) {
  EXPECT_EQ(NextFileCut(LocalTime(0, 12, 59, 59), 60), LocalTime(0, 13));
  EXPECT_EQ(NextFileCut(LocalTime(0, 13), 60), LocalTime(0, 14));
  EXPECT_EQ(NextFileCut(LocalTime(0, 13, 14, 5), 15), LocalTime(0, 13, 15));
  EXPECT_EQ(NextFileCut(LocalTime(0, 13, 31), 30), LocalTime(0, 14));
  EXPECT_EQ(NextFileCut(LocalTime(0, 23, 45), 30), LocalTime(1, 0));
}

TEST(RecordingPlan, StoredTextRoundTripsAndBadTextIsRefused) {
  for (const std::string& text : std::vector<std::string>{"off files=60", "continuous files=60", "motion files=30", "continuous+motion files=15",
                                 "schedule files=60 week=" + Week(std::string(12, 'C') + std::string(12, 'B'), '-')}) {
    RecordingPlan plan;
    std::string error;
    ASSERT_TRUE(ParseRecordingPlan(text, &plan, &error)) << text << ": " << error;
    EXPECT_EQ(FormatRecordingPlan(plan), text);
  }
  RecordingPlan plan;
  EXPECT_TRUE(ParseRecordingPlan("  motion   later=yes ", &plan)) << "a later version's key is skipped";
  EXPECT_EQ(plan.mode, PlanMode::kMotion);
  EXPECT_EQ(plan.file_minutes, 60);
  for (const std::string& bad : std::vector<std::string>{"", "sometimes", "continuous files=7", "continuous files=0", "continuous files=600", "continuous files=",
        "continuous files=1x", "continuous oops", "schedule", "continuous week=" + Week(std::string(24, 'C'), 'C'),
        "schedule week=" + Week(std::string(23, 'C'), 'C'), "schedule week=" + Week(std::string(24, 'X'), 'C'),
        "schedule week=" + std::string(174, 'C'), "continuous " + std::string(600, ' ')}) {
    RecordingPlan untouched;
    untouched.mode = PlanMode::kContinuous;
    RecordingPlan parsed = untouched;
    EXPECT_FALSE(ParseRecordingPlan(bad, &parsed)) << "accepted '" << bad << "'";
    EXPECT_EQ(parsed, untouched) << "a refused text changed the plan";
  }
}

TEST(RetentionLimits, StoredTextAndSizes) {
  RetentionLimits limits;
  ASSERT_TRUE(ParseRetentionLimits("days=30 motion-days=90 max-gb=500 min-free-gb=0.5", &limits));
  EXPECT_EQ(limits.days, 30);
  EXPECT_EQ(limits.MotionDays(), 90);
  EXPECT_EQ(limits.max_bytes, uint64_t{500} << 30);
  EXPECT_EQ(limits.FloorBytes(uint64_t{1} << 40), uint64_t{1} << 29);
  EXPECT_EQ(FormatRetentionLimits(limits), "days=30 motion-days=90 max-gb=500 min-free-gb=0.5");
  RetentionLimits none;
  ASSERT_TRUE(ParseRetentionLimits("", &none));
  EXPECT_EQ(none.FloorBytes(1000), 100u) << "without a floor of its own a disk keeps 10 % free";
  EXPECT_EQ(none.MotionDays(), 0);
  for (const char* bad : {"days=-1", "days=x", "max-gb=1e3", "max-gb=-2", "max-gb=0.0001", "min-free-gb=", "days",
                          "max-gb=2000000"})
    EXPECT_FALSE(ParseRetentionLimits(bad, &limits)) << bad;
  EXPECT_EQ(LimitText(uint64_t{20} << 30), "20 GB");
  EXPECT_EQ(LimitText(uint64_t{1} << 29), "0.5 GB");
  EXPECT_EQ(AmountText(uint64_t(3.1 * (1 << 30))), "3.1 GB");
  EXPECT_EQ(AmountText(5u << 20), "5.0 MB");
}

TEST(StorageLayout, NamesOfRecordingsAndDays) {
  const struct {
    const char* name;
    bool ok, motion;
    std::string camera;
    int number;
  } cases[] = {
      {"CAM-1_20261101_120000.mp4", true, false, "CAM-1", 1},
      {"CAM_1_20261101_120000_motion.mp4", true, true, "CAM_1", 1},
      {"Gate_20261101_120000-3.MP4", true, false, "Gate", 3},
      {"Gate_20261101_120000_motion-2.mp4", true, true, "Gate", 2},
      {"_20261101_120000.mp4", false, false, "", 1},
      {"Gate_20261301_120000.mp4", false, false, "", 1},
      {"Gate_20261101_126000.mp4", false, false, "", 1},
      {"Gate_20261101_120000.mp4.journal", false, false, "", 1},
      {"Gate_2026110_120000.mp4", false, false, "", 1},
      {"notes.mp4", false, false, "", 1},
  };
  for (const auto& c : cases) {
    StoredName name;
    ASSERT_EQ(ParseStoredName(c.name, &name), c.ok) << c.name;
    if (!c.ok) continue;
    EXPECT_EQ(name.camera, c.camera) << c.name;
    EXPECT_EQ(name.motion, c.motion) << c.name;
    EXPECT_EQ(name.number, c.number) << c.name;
  }
  EXPECT_EQ(DayFolderNumber("2026-11-01"), 20261101);
  EXPECT_EQ(DayFolderNumber("2026-1-01"), 0);
  EXPECT_EQ(StorageCameraName(".."), "__") << "a camera named '..' would lead out of the root";
  EXPECT_EQ(StorageCameraName("Gate."), "Gate_");
  EXPECT_EQ(StorageCameraName("a/b:c"), "a_b_c");
}

}  // namespace
}  // namespace node
