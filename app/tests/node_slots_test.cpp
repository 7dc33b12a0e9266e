#include "app/node_slots.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(NodeSlots, ThirtyThreeViewSlotsLowestFreeFirst) {
  NodeSlotTable slots;
  for (int i = 0; i < NodeSlotTable::kSlots; ++i) EXPECT_EQ(slots.Acquire(), i);
  EXPECT_EQ(slots.Acquire(), -1) << "a 34th view gets no slot";
  slots.Release(7);
  slots.Release(-1);
  slots.Release(NodeSlotTable::kSlots + NodeSlotTable::kWindowlessSlots);
  EXPECT_EQ(slots.InUse(), 32);
  EXPECT_EQ(slots.Acquire(), 7);
  slots.Reset();
  EXPECT_EQ(slots.InUse(), 0);
  EXPECT_EQ(slots.Acquire(), 0);
}

// Walls and plans of 64 cameras and more leave the views their 33.
TEST(NodeSlots, WindowlessLinksTakeSlotsAboveTheViews) {
  NodeSlotTable slots;
  for (int i = 0; i < NodeSlotTable::kWindowlessSlots; ++i)
    ASSERT_EQ(slots.AcquireWindowless(), NodeSlotTable::kSlots + i);
  EXPECT_EQ(slots.AcquireWindowless(), -1);
  EXPECT_EQ(slots.Acquire(), 0) << "windowless links took a view's slot";
  slots.Release(NodeSlotTable::kSlots + 5);
  EXPECT_EQ(slots.AcquireWindowless(), NodeSlotTable::kSlots + 5);
  EXPECT_EQ(slots.InUse(), NodeSlotTable::kWindowlessSlots + 1);
}

}  // namespace
}  // namespace app
