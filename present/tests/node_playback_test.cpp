// The playback feeder's rules over a fake secondary buffer whose play cursor
// the test moves: start at the third unit, silence after a gap and nothing
// replayed, overruns discarded one unit per call, mute and unmute, units cut
// to one block.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "present/node_playback.h"
#include "present/tests/fake_sound_device.h"

namespace present {
namespace {

constexpr uint32_t kBlock = NodePlayback::kBlockBytes;

using testing::FakeBuffer;
using testing::FakeDevice;
using testing::UnitSource;

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    playback_.Bind(&device_);
    ASSERT_TRUE(playback_.CreateBuffer());
    buffer_ = device_.last;
  }
  // A unit of `samples` (a 192-byte ADPCM unit decodes to 512).
  void Receive(uint8_t marker, int samples = 512) { sound_.Push(marker, samples); }
  bool Feed() { return playback_.FeedOne(sound_); }
  // Units 1 to `count` received and fed: playing from the third.
  void Play(uint8_t count) {
    for (uint8_t unit = 1; unit <= count; ++unit) {
      Receive(unit);
      Feed();
    }
  }

  FakeDevice device_;
  NodePlayback playback_;
  FakeBuffer* buffer_ = nullptr;
  UnitSource sound_;
};

TEST_F(Playback, StartsWithTheThirdReceivedUnit) {
  EXPECT_FALSE(Feed()) << "nothing received, nothing consumed";
  EXPECT_TRUE(buffer_->writes.empty());
  for (uint8_t unit = 1; unit <= 3; ++unit) {
    Receive(unit);
    EXPECT_TRUE(Feed());
    EXPECT_EQ(unit == 3, buffer_->playing) << "after unit " << int(unit);
  }
  EXPECT_EQ((std::vector<uint32_t>{0, kBlock, 2 * kBlock}), buffer_->writes);
  EXPECT_EQ(1, buffer_->BlockSample(0));
  EXPECT_EQ(3, buffer_->BlockSample(2));
}

TEST_F(Playback, AGapIsFilledWithSilenceAndNothingIsReplayed) {
  Play(3);
  buffer_->cursor = 2 * kBlock + 100;  // within two blocks of the last write
  EXPECT_FALSE(Feed()) << "silence consumes no unit";
  EXPECT_FALSE(Feed());
  EXPECT_EQ(5u, buffer_->writes.size()) << "two silent blocks keep ahead of the cursor";
  EXPECT_EQ(0, buffer_->BlockSample(3));
  EXPECT_EQ(0, buffer_->BlockSample(4));
  EXPECT_FALSE(Feed());
  EXPECT_EQ(5u, buffer_->writes.size()) << "far enough ahead: nothing more is written";
  Receive(4);
  EXPECT_TRUE(Feed());
  EXPECT_EQ(4, buffer_->BlockSample(5)) << "reception resumes after the silence";
  for (int block = 3; block < 5; ++block) EXPECT_EQ(0, buffer_->BlockSample(block)) << "no old unit replayed";
}

TEST_F(Playback, OverrunDiscardsOneUnitPerCall) {
  for (int unit = 0; unit < NodePlayback::kBlockCount; ++unit) {
    Receive(uint8_t(unit));
    ASSERT_TRUE(Feed()) << "unit " << unit;
  }
  EXPECT_EQ(size_t(NodePlayback::kBlockCount), buffer_->writes.size());
  for (int unit = 0; unit < 5; ++unit) Receive(uint8_t(200 + unit));
  for (int call = 1; call <= 5; ++call) {
    EXPECT_FALSE(Feed());
    EXPECT_EQ(5 - call, sound_.Waiting()) << "call " << call << " discards exactly one unit";
  }
  EXPECT_EQ(size_t(NodePlayback::kBlockCount), buffer_->writes.size()) << "nothing written over queued sound";
  buffer_->cursor = 10 * kBlock;
  Receive(250);
  EXPECT_TRUE(Feed());
  EXPECT_EQ(0u, buffer_->writes.back()) << "the write index wraps from 100 to 0";
}

TEST_F(Playback, MuteStopsAtOnceAndUnmuteResumesAtTheWriteIndex) {
  Play(3);
  ASSERT_TRUE(buffer_->playing);
  playback_.SetMute(true);
  Receive(4);
  EXPECT_FALSE(Feed());
  EXPECT_FALSE(buffer_->playing);
  EXPECT_EQ(1, sound_.Waiting()) << "muted: nothing consumed";
  EXPECT_EQ(3, playback_.WriteIndex());
  playback_.SetMute(false);
  EXPECT_TRUE(Feed());
  EXPECT_EQ(3 * kBlock, buffer_->writes.back());
  EXPECT_TRUE(buffer_->playing) << "more than one block ahead: playing again";
}

TEST_F(Playback, ALongUnitIsCutToOneBlockAndAShortOnePaddedWithSilence) {
  Receive(9, 1600);
  EXPECT_TRUE(Feed());
  EXPECT_EQ(1u, buffer_->writes.size()) << "one block written";
  int16_t next;
  std::memcpy(&next, &buffer_->bytes[kBlock], 2);
  EXPECT_EQ(int16_t(0xEEEE), next) << "the samples past 1024 bytes go nowhere";

  Receive(7, 256);
  EXPECT_TRUE(Feed());
  int16_t half[2];
  std::memcpy(&half[0], &buffer_->bytes[kBlock + 510], 2);
  std::memcpy(&half[1], &buffer_->bytes[kBlock + 512], 2);
  EXPECT_EQ(7, half[0]);
  EXPECT_EQ(0, half[1]) << "a short unit's block ends in silence";
}

TEST_F(Playback, AStalledFeederResumesAfterTheCursorInsteadOfSixSecondsBehind) {
  Play(5);
  // The media thread stalled: the cursor ran past all five blocks.
  buffer_->cursor = 6 * kBlock + 300;
  Receive(6);
  EXPECT_TRUE(Feed()) << "a unit is played, not discarded as an overrun";
  EXPECT_EQ(7 * kBlock, buffer_->writes.back()) << "written in the block after the cursor";
  EXPECT_EQ(1, buffer_->plays);
}

TEST(PlaybackBinding, NoSoundOutputMeansNothingToFeed) {
  NodePlayback unbound;
  EXPECT_FALSE(unbound.IsOpen());
  EXPECT_FALSE(unbound.CreateBuffer());

  FakeDevice failing;
  failing.fail = true;
  NodePlayback playback;
  playback.Bind(&failing);
  EXPECT_TRUE(playback.IsOpen());
  EXPECT_FALSE(playback.CreateBuffer());
  EXPECT_FALSE(playback.IsOpen()) << "sound-ready follows the buffer's creation";

  UnitSource sound;
  sound.Push(0, 512);
  EXPECT_FALSE(playback.FeedOne(sound));
  EXPECT_EQ(1, sound.Waiting());
}

}  // namespace
}  // namespace present
