// The ring rules the receive thread and the media worker rely on.
#include <gtest/gtest.h>

#include <vector>

#include "node/media/media_ring.h"
#include "node/media/picture_timing.h"
#include "os/clock.h"

namespace node {
namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }

TEST(MediaRing, QueuesInOrderAndReportsFullAndEmpty) {
  MediaRing ring(4, 16);
  EXPECT_EQ(ring.BeginRead(), -1) << "an empty ring has nothing to read";
  for (uint8_t i = 0; i < 4; ++i) {
    const int slot = ring.BeginWrite();
    ASSERT_GE(slot, 0);
    ring.EnsureCapacity(slot, 8);
    ring.Slot(slot).buffer[0] = i;
    ring.Slot(slot).length = 1;
    ring.Slot(slot).timestamp = 100u + i;
    ring.CommitWrite();
  }
  EXPECT_TRUE(ring.IsFull());
  EXPECT_EQ(ring.BeginWrite(), -1) << "a full ring offers no write slot";
  for (uint8_t i = 0; i < 4; ++i) {
    const int slot = ring.BeginRead();
    ASSERT_GE(slot, 0);
    EXPECT_EQ(ring.Slot(slot).Data()[0], i);
    EXPECT_EQ(ring.Slot(slot).timestamp, 100u + i);
    ring.CommitRead();
  }
  EXPECT_EQ(ring.Count(), 0);
}

TEST(MediaRing, FlushKeepsTheUnitBeingRead) {
  MediaRing ring(MediaRing::kAudioSlots, 64);
  for (int i = 0; i < 5; ++i) ring.Push(Bytes(4, uint8_t(i)).data(), 4, uint64_t(i));
  const int reading = ring.BeginRead();
  ASSERT_GE(reading, 0);
  const uint8_t* data = ring.Slot(reading).Data();
  ring.Flush();
  EXPECT_EQ(ring.Count(), 1) << "the unit being read stays as the only one";
  // The producer may go on writing while the consumer reads in place.
  for (int i = 0; i < 150; ++i) ring.Push(Bytes(4, 0xEE).data(), 4, 999);
  EXPECT_EQ(ring.Slot(reading).Data(), data);
  EXPECT_EQ(ring.Slot(reading).Data()[0], 0) << "the slot being read was overwritten";
  EXPECT_EQ(ring.Slot(reading).timestamp, 0u);
  ring.CommitRead();

  // Without a read in progress a flush empties the ring.
  ring.Flush();
  EXPECT_EQ(ring.Count(), 0);
  ring.Push(Bytes(4, 7).data(), 4, 7);
  const int slot = ring.BeginRead();
  ASSERT_GE(slot, 0);
  EXPECT_EQ(ring.Slot(slot).timestamp, 7u);
  ring.CommitRead();
  ring.Reset();
  EXPECT_EQ(ring.Count(), 0);
  EXPECT_FALSE(ring.ReadInProgress());
}

TEST(MediaRing, SlotBuffersGrowOnceAndAreNeverShrunk) {
  MediaRing ring(3, 16);
  std::vector<const uint8_t*> grown(3);
  // First pass: every slot grows to 5000 bytes.
  for (int i = 0; i < 3; ++i) {
    ring.Push(Bytes(5000, uint8_t(i)).data(), 5000, 0);
    const int slot = ring.BeginRead();
    EXPECT_EQ(ring.Slot(slot).capacity, 5000u);
    grown[static_cast<size_t>(slot)] = ring.Slot(slot).Data();
    ring.CommitRead();
  }
  // Later units up to that size reuse the same buffers: no allocation.
  for (int round = 0; round < 10; ++round) {
    const uint32_t length = round % 2 ? 100 : 5000;
    ring.Push(Bytes(length, uint8_t(round)).data(), length, 0);
    const int slot = ring.BeginRead();
    EXPECT_EQ(ring.Slot(slot).Data(), grown[static_cast<size_t>(slot)]) << "slot " << slot << " was reallocated";
    EXPECT_EQ(ring.Slot(slot).capacity, 5000u) << "a slot buffer shrank";
    EXPECT_EQ(ring.Slot(slot).length, length);
    EXPECT_EQ(ring.Slot(slot).Data()[length - 1], uint8_t(round));
    ring.CommitRead();
  }
}

// The view benchmark's latency figures: a percentile is the upper edge of
// the half-millisecond bucket that reaches it, summed over views, and a
// pushed unit carries the time it arrived.
TEST(PictureTiming, PercentilesOfMergedViewsAndArrivalTimes) {
  PictureTiming a, b;
  b.Add(0, 0, 0, 777);  // before the measured interval: not counted
  const PictureTiming::Totals b_start = b.Read();
  for (int i = 0; i < 98; ++i) a.Add(1, 2, 3, 4200);  // bucket 8: up to 4.5 ms
  b.Add(0, 0, 0, 30000);                              // bucket 60: up to 30.5 ms
  PictureTiming::Totals t = a.Read();
  t.Merge(b.Read().Since(b_start));
  EXPECT_EQ(t.pictures, 99u);
  EXPECT_EQ(t.decode_us, 98u);
  EXPECT_DOUBLE_EQ(t.LatencyMs(0.5), 4.5);
  EXPECT_DOUBLE_EQ(t.LatencyMs(0.98), 4.5);
  EXPECT_DOUBLE_EQ(t.LatencyMs(0.99), 30.5) << "98.01 of 99 pictures: the 99th counts";
  b.Add(0, 0, 0, 10'000'000);  // ten seconds: the last bucket holds it
  PictureTiming::Totals late = b.Read().Since(b_start);
  EXPECT_DOUBLE_EQ(late.LatencyMs(1.0), PictureTiming::kLatencyBuckets * PictureTiming::kBucketMs);
  EXPECT_EQ(PictureTiming().Read().LatencyMs(0.5), 0.0);

  MediaRing ring(2, 8);
  const uint64_t before = os::MonotonicUs();
  const uint8_t unit[3] = {1, 2, 3};
  ring.Push(unit, 3, 0);
  const uint64_t after = os::MonotonicUs();
  const int slot = ring.BeginRead();
  ASSERT_GE(slot, 0);
  EXPECT_GE(ring.Slot(slot).received_us, before);
  EXPECT_LE(ring.Slot(slot).received_us, after);
}

}  // namespace
}  // namespace node
