// Editing the motion mask over the picture, and its stored form.
#include <gtest/gtest.h>

#include "app/view/motion_mask.h"

namespace app::view {
namespace {

constexpr int kColumns = node::MotionDetector::kColumns;

TEST(MotionMask, CellsFollowThePictureAreaAndNothingOutsideIt) {
  EXPECT_EQ(0, MaskCellAt(0, 0, 640, 480));
  EXPECT_EQ(kColumns - 1, MaskCellAt(639, 0, 640, 480));
  EXPECT_EQ(node::MotionDetector::kCells - 1, MaskCellAt(639, 479, 640, 480));
  EXPECT_EQ(1 * kColumns + 2, MaskCellAt(2 * 20, 1 * 20, 640, 480));  // 20 pixels a cell
  EXPECT_EQ(MaskCellAt(10, 10, 640, 480), MaskCellAt(5, 5, 320, 240)) << "the same place at another screen size";
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {640, 0}, {0, 480}}) EXPECT_EQ(-1, MaskCellAt(x, y, 640, 480));
  EXPECT_EQ(-1, MaskCellAt(0, 0, 0, 0)) << "no picture yet";
}

TEST(MotionMask, ADragMasksOrUnmasksTheRectangleBetweenPressAndPointer) {
  MaskEdit edit;
  MotionMask mask;
  edit.Begin(mask, 1 * kColumns + 1);
  mask = edit.DragTo(3 * kColumns + 4);
  EXPECT_EQ(3u * 4u, mask.count());
  EXPECT_TRUE(mask.test(2 * kColumns + 2));
  EXPECT_FALSE(mask.test(4 * kColumns + 4));
  // Dragging back shrinks it: the rectangle is redrawn from the press.
  mask = edit.DragTo(1 * kColumns + 2);
  EXPECT_EQ(2u, mask.count());
  // Leaving the picture keeps the last cell.
  EXPECT_EQ(mask, edit.DragTo(-1));
  edit.End();

  // A press on a masked cell unmasks, leaving the rest as it was.
  mask.set(20 * kColumns + 20);
  edit.Begin(mask, 1 * kColumns + 1);
  mask = edit.DragTo(1 * kColumns + 1);
  EXPECT_FALSE(mask.test(1 * kColumns + 1));
  EXPECT_TRUE(mask.test(1 * kColumns + 2));
  EXPECT_TRUE(mask.test(20 * kColumns + 20));

  // Leftward and upward drags span the same rectangle.
  MaskEdit reverse;
  reverse.Begin(MotionMask(), 3 * kColumns + 4);
  EXPECT_EQ(12u, reverse.DragTo(1 * kColumns + 1).count());
}

TEST(MotionMask, TheStoredFormRoundTripsAndRejectsAnythingElse) {
  MotionMask mask;
  for (size_t i = 0; i < mask.size(); i += 7) mask.set(i);
  mask.set(mask.size() - 1);
  MotionMask read;
  ASSERT_TRUE(MaskFromText(MaskToText(mask), &read));
  EXPECT_EQ(mask, read);
  EXPECT_EQ(std::string(192, '0'), MaskToText(MotionMask()));

  MotionMask untouched;
  untouched.set(5);
  const MotionMask before = untouched;
  for (const std::string& bad : {std::string(), std::string(191, '0'), std::string(193, '0'), std::string(191, '0') + "g"})
    EXPECT_FALSE(MaskFromText(bad, &untouched)) << bad.size();
  EXPECT_EQ(before, untouched);
}

TEST(MotionMask, TheDialogsSizeAndDurationFieldsTakeOnlyWholeValuesInRange) {
  const struct {
    const char* text;
    int ms;  // -1: refused
  } durations[] = {{"0", 0}, {"0.3", 300}, {"2", 2000}, {"1,5", 1500}, {"10", 10000}, {"10.1", -1}, {"", -1},
                   {".5", -1}, {"1.", -1}, {"0.25", -1}, {"-1", -1}, {"1e3", -1}, {"100", -1}};
  for (const auto& row : durations) {
    int ms = 42;
    EXPECT_EQ(row.ms >= 0, ParseMinDurationText(row.text, &ms)) << row.text;
    EXPECT_EQ(row.ms >= 0 ? row.ms : 42, ms) << row.text;
  }
  EXPECT_EQ("0.3", MinDurationText(300));
  EXPECT_EQ("10", MinDurationText(10000));
  int cells = 42;
  for (const char* bad : {"0", "33", "", "3a", "-1", "100"}) EXPECT_FALSE(ParseMinObjectCells(bad, &cells)) << bad;
  EXPECT_TRUE(ParseMinObjectCells("32", &cells) && cells == 32);
}

}  // namespace
}  // namespace app::view
