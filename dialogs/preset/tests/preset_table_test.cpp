// The preset table as the preset setup dialog reads and writes it.
#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/preset/preset_table.h"

namespace dialogs::preset {
namespace {

net::CameraSetupInfo Filled(uint8_t byte) {
  net::CameraSetupInfo info;
  std::memset(info.data(), byte, info.size());
  return info;
}

TEST(PresetTable, ReadsTheRowsInUseAndNoMoreThanThirtyTwo) {
  net::CameraSetupInfo info = net::CameraSetupInfo::Defaults();
  info.SetPreset(0, {"door", 1, -2, 3, 10, true});
  info.SetPreset(1, {"yard", 4, 5, 6, 20, false});
  info.SetPreset(2, {"never shown", 7, 8, 9, 30, true});
  info.SetPresetCount(2);
  PresetRows rows = ReadPresetRows(info);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ((std::vector<std::string>{"1", "door", "1", "-2", "3", "10", "TRUE"}), RowTexts(rows, 0));
  EXPECT_EQ((std::vector<std::string>{"2", "yard", "4", "5", "6", "20", "FALSE"}), RowTexts(rows, 1));

  info.data()[1214] = 200;  // a camera's count past its 32 slots
  EXPECT_EQ(32u, ReadPresetRows(info).size());
}

TEST(PresetTable, WritingClearsTheWholeTableFirst) {
  net::CameraSetupInfo info = Filled(0x5A);
  WritePresetTable(&info, {{"door", 1, 2, 3, 10, true}}, true);
  EXPECT_EQ(1, info.PresetCount());
  EXPECT_TRUE(TourFlag(info));
  EXPECT_EQ("door", info.Preset(0).name);
  for (uint32_t at = net::kCameraSetupMainSize + net::kPresetEntrySize; at < net::kCameraSetupInfoSize; ++at)
    ASSERT_EQ(0, info.data()[at]) << "byte " << at << " of an unused entry";
  EXPECT_EQ(0x5A, info.data()[1215]) << "the main part past the count is the camera's";
  EXPECT_EQ(0x5A, info.data()[1212]);

  WritePresetTable(&info, {}, false);
  EXPECT_EQ(0, info.PresetCount());
  EXPECT_FALSE(TourFlag(info));
}

TEST(PresetTable, MovingKeepsTheSerialWithThePosition) {
  PresetRows rows = {{"a", 1, 1, 1, 1, true}, {"b", 2, 2, 2, 2, true}, {"c", 3, 3, 3, 3, false}};
  EXPECT_FALSE(MoveRow(&rows, 0, -1)) << "the first row has nothing above";
  EXPECT_FALSE(MoveRow(&rows, 2, 1)) << "the last row has nothing below";
  EXPECT_EQ("a", rows[0].name);
  ASSERT_TRUE(MoveRow(&rows, 2, -1));
  EXPECT_EQ((std::vector<std::string>{"2", "c", "3", "3", "3", "3", "FALSE"}), RowTexts(rows, 1));
  EXPECT_EQ((std::vector<std::string>{"3", "b", "2", "2", "2", "2", "TRUE"}), RowTexts(rows, 2));
}

TEST(PresetTable, LongLocationsAreCutToKeepTheNul) {
  net::CameraSetupInfo info = Filled(0);
  WritePresetTable(&info, {{std::string(80, 'x'), 0, 0, 0, 0, true}}, false);
  EXPECT_EQ(std::string(kLocationBytes, 'x'), info.Preset(0).name);
}

}  // namespace
}  // namespace dialogs::preset
