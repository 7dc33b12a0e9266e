// Reassembly: the framing edge cases and a randomized stream property.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "net/byte_order.h"
#include "net/media_data.h"
#include "net/receive_buffer.h"

namespace net {
namespace {

std::vector<uint8_t> Message(uint32_t type, uint32_t length, uint8_t fill = 0xAB) {
  std::vector<uint8_t> m(8 + length, fill);
  EncodePacketHeader({type, length}, m.data());
  return m;
}

std::vector<uint8_t> Media(bool long_form, uint32_t payload_length, uint32_t channel, uint8_t fill) {
  MediaData d;
  d.channel_id = channel;
  d.kind = kMediaVideoFrame;
  d.payload_length = payload_length;
  d.timestamp_ms = channel;
  std::vector<uint8_t> m(8 + 24);
  uint32_t fixed = EncodeMediaFixed(d, long_form, m.data() + 8);
  m.resize(8 + fixed);
  EncodePacketHeader({kMediaData, fixed}, m.data());
  m.insert(m.end(), payload_length, fill);
  return m;
}

// Copies bytes into the buffer as a receive call would.
bool Feed(ReceiveBuffer& b, const uint8_t* data, uint32_t n) {
  if (n > b.FreeSize()) return false;
  std::memcpy(b.FreeSpace(), data, n);
  b.Commit(n);
  return true;
}
bool Feed(ReceiveBuffer& b, const std::vector<uint8_t>& v) { return Feed(b, v.data(), static_cast<uint32_t>(v.size())); }

// Whole messages at the limits: taken, or refused from their headers alone.
TEST(ReceiveBuffer, MessagesAtTheSizeLimits) {
  auto withBodyLength = [](uint32_t length) {
    auto header = Message(3, 0);
    PutBE32(&header[4], length);
    return header;
  };
  auto withPayloadLength = [](uint32_t length) {
    auto media = Media(true, 0, 1, 0);
    PutLE32(&media[8 + 8], length);
    return media;
  };
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    ReceiveBuffer::Next want;
  } cases[] = {
      {"largest body", Message(3, 230392), ReceiveBuffer::Next::kMessage},
      {"body one byte over", withBodyLength(230393), ReceiveBuffer::Next::kInvalid},
      {"body length that wraps a 32-bit sum", withBodyLength(0xFFFFFFF8), ReceiveBuffer::Next::kInvalid},
      {"largest media", Media(true, 230400 - 32, 1, 0), ReceiveBuffer::Next::kMessage},
      {"media payload one byte over", withPayloadLength(230400 - 32 + 1), ReceiveBuffer::Next::kInvalid},
      {"media payload length near 2^32", withPayloadLength(0xFFFFFFF0), ReceiveBuffer::Next::kInvalid},
      {"short fixed part without its payload length", Message(kMediaData, 12), ReceiveBuffer::Next::kInvalid},
      {"media without payload", Media(false, 0, 5, 0), ReceiveBuffer::Next::kMessage},
  };
  for (const auto& c : cases) {
    ReceiveBuffer b;
    ASSERT_TRUE(Feed(b, c.bytes)) << c.name;
    RawMessage m;
    ASSERT_EQ(c.want, b.TakeMessage(&m)) << c.name;
    if (c.want == ReceiveBuffer::Next::kMessage) {
      EXPECT_EQ(c.bytes.size(), m.total) << c.name;
      EXPECT_EQ(0u, b.buffered()) << c.name;
    }
  }
}

TEST(ReceiveBuffer, CompactsOnlyWhenTheMissingMessageWouldNotFit) {
  RawMessage m;
  {
    ReceiveBuffer b;
    ASSERT_TRUE(Feed(b, Message(48, 12)));
    ASSERT_TRUE(Feed(b, Message(16, 444).data(), 5));
    ASSERT_EQ(ReceiveBuffer::Next::kMessage, b.TakeMessage(&m));
    EXPECT_EQ(ReceiveBuffer::Next::kNeedMore, b.TakeMessage(&m));
    EXPECT_EQ(5u, b.buffered());
    EXPECT_EQ(20u, b.read_position()) << "no compaction while the rest still fits";
  }
  ReceiveBuffer b;
  // Fill to within 100 bytes of the end with one message, then start a big one.
  ASSERT_TRUE(Feed(b, Message(1, 230300 - 8)));
  ASSERT_EQ(ReceiveBuffer::Next::kMessage, b.TakeMessage(&m));
  auto next = Message(2, 1000, 0x77);
  ASSERT_TRUE(Feed(b, next.data(), 50));
  EXPECT_EQ(ReceiveBuffer::Next::kNeedMore, b.TakeMessage(&m));
  EXPECT_EQ(0u, b.read_position()) << "1008 bytes do not fit in the last 100: must compact";
  EXPECT_EQ(50u, b.buffered());
  EXPECT_EQ(230300u, b.compacted_total());
  ASSERT_TRUE(Feed(b, next.data() + 50, static_cast<uint32_t>(next.size() - 50)));
  ASSERT_EQ(ReceiveBuffer::Next::kMessage, b.TakeMessage(&m));
  EXPECT_EQ(0x77, m.body[999]);
  EXPECT_EQ(230300u + 1008u, b.received_total());
}

// Random streams of valid messages, cut at random points and delivered in
// random-sized reads, must come out once each, in order and intact.
TEST(ReceiveBuffer, RandomStreamsReassembleExactly) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 40; ++round) {
    std::vector<std::vector<uint8_t>> messages;
    std::vector<uint8_t> stream;
    int count = 50 + static_cast<int>(rng() % 150);
    for (int i = 0; i < count; ++i) {
      uint32_t kind = rng() % 4;
      uint32_t size = (rng() % 8 == 0) ? rng() % 120000 : rng() % 3000;
      uint8_t fill = static_cast<uint8_t>(i);
      std::vector<uint8_t> m = kind == 0   ? Media(true, size, i, fill)
                               : kind == 1 ? Media(false, size, i, fill)
                                           : Message(100 + i, size, fill);
      stream.insert(stream.end(), m.begin(), m.end());
      messages.push_back(std::move(m));
    }
    ReceiveBuffer b;
    size_t sent = 0, next = 0;
    while (sent < stream.size()) {
      uint32_t want = 1 + rng() % (rng() % 2 ? 64 : 70000);
      uint32_t n = std::min<uint32_t>({want, b.FreeSize(), static_cast<uint32_t>(stream.size() - sent)});
      ASSERT_GT(n, 0u) << "buffer full with no whole message in it";
      ASSERT_TRUE(Feed(b, stream.data() + sent, n));
      sent += n;
      RawMessage m;
      ReceiveBuffer::Next r;
      while ((r = b.TakeMessage(&m)) == ReceiveBuffer::Next::kMessage) {
        ASSERT_LT(next, messages.size());
        const auto& expected = messages[next++];
        ASSERT_EQ(expected.size(), m.total);
        ASSERT_EQ(0, std::memcmp(expected.data() + 8, m.body, m.length));
        if (m.payload_length) {
          ASSERT_EQ(0, std::memcmp(expected.data() + 8 + m.length, m.payload, m.payload_length));
        }
      }
      ASSERT_EQ(ReceiveBuffer::Next::kNeedMore, r);
      ASSERT_LE(b.read_position() + b.buffered(), kChannelBufferSize);
    }
    EXPECT_EQ(messages.size(), next) << "round " << round;
    EXPECT_EQ(stream.size(), b.received_total());
  }
}

}  // namespace
}  // namespace net
