// The node's sound as its playback takes it: a unit from the sound ring is
// decoded whole, so the block the playback writes holds the unit's first
// samples and the decoder's state has run over every code.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codec/audio/adpcm.h"
#include "node/media/media_ring.h"
#include "node/media/ring_sound_source.h"
#include "present/node_playback.h"
#include "present/tests/fake_sound_device.h"

namespace node {
namespace {

using present::NodePlayback;
using present::testing::FakeDevice;

constexpr uint32_t kBlock = NodePlayback::kBlockBytes;

TEST(PlaybackDecoding, TheBlockHoldsTheUnitsFirstSamplesAndTheDecoderRunsOverAllOfIt) {
  std::vector<uint8_t> unit(500);
  for (size_t i = 0; i < unit.size(); ++i) unit[i] = uint8_t(i * 37 + 11);
  codec::AdpcmDecoder whole;
  std::vector<int16_t> all(codec::AdpcmDecodedSize(500) / 2);
  whole.Decode(unit.data(), 500, all.data());

  FakeDevice device;
  NodePlayback playback;
  playback.Bind(&device);
  ASSERT_TRUE(playback.CreateBuffer());
  node::MediaRing ring(node::MediaRing::kAudioSlots, 1024);
  ring.Push(unit.data(), 500, 0);
  codec::AdpcmDecoder node_decoder;
  node::RingSoundSource sound(ring, node_decoder);
  ASSERT_TRUE(playback.FeedOne(sound));
  EXPECT_EQ(0, std::memcmp(all.data(), device.last->bytes.data(), kBlock)) << "the first block as decoded whole";
  EXPECT_EQ(whole.State().se, node_decoder.State().se) << "the decoder ran over the whole unit";
  EXPECT_EQ(whole.State().y, node_decoder.State().y);
  EXPECT_EQ(whole.State().a1, node_decoder.State().a1);
}

}  // namespace
}  // namespace node
