#include "app/node_slots.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(NodeSlots, ThirtyThreeSlotsLowestFreeFirst) {
  NodeSlotTable slots;
  for (int i = 0; i < NodeSlotTable::kSlots; ++i) EXPECT_EQ(slots.Acquire(), i);
  EXPECT_EQ(slots.Acquire(), -1) << "a 34th view gets no slot";
  slots.Release(7);
  slots.Release(40);
  slots.Release(-1);
  EXPECT_EQ(slots.InUse(), 32);
  EXPECT_EQ(slots.Acquire(), 7);
  slots.Reset();
  EXPECT_EQ(slots.InUse(), 0);
  EXPECT_EQ(slots.Acquire(), 0);
}

}  // namespace
}  // namespace app
