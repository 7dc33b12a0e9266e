// SocketChannel over real loopback sockets: queue limits, draining, receive
// dispatch and the handling of invalid streams.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "loopback_server.h"
#include "net/byte_order.h"
#include "net/socket_channel.h"
#include "os/clock.h"
#include "os/event.h"
#include "os/tests/log_capture.h"

namespace net {
namespace {

using testing::Framed;
using testing::LoopbackServer;
using testing::RecvBytes;
using testing::SendBytes;

struct Recorder : MessageHandler {
  std::vector<std::pair<uint32_t, std::string>> seen;
  uint32_t stop_at_type = 0;
  bool OnMessage(const RawMessage& m) override {
    seen.emplace_back(m.type, std::string(reinterpret_cast<const char*>(m.body), m.length));
    return m.type != stop_at_type;
  }
};


ProxySettings Direct() { return ProxySettings{}; }

TEST(SocketChannelQueue, LargestMessageFillsTheBufferUntilDrained) {
  os::Event done(os::Event::Reset::kManual);
  std::string received;
  LoopbackServer server([&](os::SocketHandle s) {
    received = RecvBytes(s, 230400 + 8);
    done.Set();
  });
  SocketChannel c;
  ASSERT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
  std::vector<uint8_t> body(230392, 0x42);
  EXPECT_EQ(230400, c.QueueMessage(3, body.data(), 230392));
  EXPECT_EQ(-1, c.QueueMessage(48, nullptr, 0)) << "an empty message must not fit a full buffer";
  while (c.pending() > 0) ASSERT_GT(c.SendPending(), 0);
  EXPECT_EQ(8, c.QueueMessage(48, nullptr, 0));
  EXPECT_GT(c.SendPending(), 0);
  ASSERT_TRUE(done.Wait(10000));
  ASSERT_EQ(230408u, received.size());
  EXPECT_EQ(std::string("\0\0\0\x03\0\x03\x83\xF8", 8), received.substr(0, 8));
  EXPECT_EQ(std::string("\0\0\0\x30\0\0\0\0", 8), received.substr(230400));
}

TEST(SocketChannelQueue, ClosedChannelRefusesAndForgetsPendingBytes) {
  SocketChannel c;
  EXPECT_EQ(-1, c.QueueMessage(48, nullptr, 0));
  const uint16_t closed_port = testing::ClosedPort();
  EXPECT_EQ(-1, c.ConnectVia(Direct(), "127.0.0.1", closed_port));
  EXPECT_FALSE(c.IsOpen()) << "a refused connect leaves the channel closed";
  EXPECT_EQ(-1, c.ConnectVia(Direct(), "not-an-address", closed_port));
  LoopbackServer server([](os::SocketHandle) {});
  ASSERT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
  EXPECT_EQ(12, c.QueueMessage(16, "\0\0\0\1", 4));
  c.Close();
  EXPECT_EQ(0u, c.pending());
  EXPECT_EQ(-1, c.QueueMessage(48, nullptr, 0));
  EXPECT_FALSE(c.IsOpen());
}

TEST(SocketChannelQueue, MediaIsHeaderFixedPartThenPayload) {
  std::string received;
  os::Event done(os::Event::Reset::kManual);
  LoopbackServer server([&](os::SocketHandle s) {
    received = RecvBytes(s, 8 + 16 + 3);
    done.Set();
  });
  SocketChannel c;
  ASSERT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
  uint8_t fixed[16] = {1};
  EXPECT_EQ(27, c.QueueMedia(fixed, 16, "abc", 3));
  EXPECT_EQ(27, c.SendPending());
  ASSERT_TRUE(done.Wait(5000));
  EXPECT_EQ(std::string("\0\0\0\x08\0\0\0\x10\x01", 9), received.substr(0, 9));
  EXPECT_EQ("abc", received.substr(24));
}

TEST(SocketChannelIo, SendNowAndReadExactAcrossSegments) {
  LoopbackServer server([](os::SocketHandle s) {
    std::string request = RecvBytes(s, 8 + 16);
    // Answer in three pieces so ReadExact has to gather them.
    SendBytes(s, request.substr(0, 3));
    os::SleepMs(20);
    SendBytes(s, request.substr(3, 10));
    os::SleepMs(20);
    SendBytes(s, request.substr(13));
  });
  SocketChannel c;
  ASSERT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
  EXPECT_EQ(24, c.SendNow(49, "0123456789abcdef", 16));
  char back[24];
  ASSERT_EQ(24, c.ReadExact(back, 24));
  EXPECT_EQ("0123456789abcdef", std::string(back + 8, 16));
  EXPECT_EQ(-1, c.ReadExact(back, 1)) << "peer closed";
}

class SocketChannelReceive : public ::testing::Test {
 protected:
  // Sends `script` from the server and reads with Receive until it reports
  // something other than a plain dispatch.
  SocketChannel::ReceiveResult Run(const std::string& script, int node_index, Recorder& rec) {
    LoopbackServer server([&](os::SocketHandle s) {
      SendBytes(s, script);
      RecvBytes(s, 1);  // hold the connection until the client closes
    });
    SocketChannel c;
    EXPECT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
    os::SetRecvTimeout(c.socket(), 5000);
    SocketChannel::ReceiveResult r;
    size_t expected = script.size();
    do {
      r = c.Receive(rec, node_index);
    } while (r == SocketChannel::ReceiveResult::kDispatched && c.receive_buffer().received_total() < expected);
    open_after_ = c.IsOpen();
    ended_after_ = c.InputEnded();
    c.Close();
    return r;
  }
  bool open_after_ = true, ended_after_ = false;
};

// A broken message ends the input like a peer close; the owner closes the
// connection, so it can tell the loss from a close of its own. Messages
// before the bad one still count.
TEST_F(SocketChannelReceive, DispatchesInOrderUntilTheHandlerStopsOrABrokenMessage) {
  using Result = SocketChannel::ReceiveResult;
  using Seen = std::vector<std::pair<uint32_t, size_t>>;  // type, body size
  std::string oversized(8, '\0');
  EncodePacketHeader({20, 230393}, reinterpret_cast<uint8_t*>(oversized.data()));
  const struct {
    const char* name;
    std::string script;
    int node_index;
    uint32_t stop_at_type;
    Result result;
    Seen seen;
    std::string log_line;
  } cases[] = {
      {"in order", Framed(20, std::string(444, 'c')) + Framed(20, std::string(888, 'd')) + Framed(48, ""), 0, 0,
       Result::kDispatched, {{20, 444}, {20, 888}, {48, 0}}, ""},
      {"handler stop", Framed(16, std::string("\0\0\0\2", 4)) + Framed(20, std::string(444, 'c')), 0, 16,
       Result::kStopped, {{16, 4}}, ""},
      {"oversized", Framed(48, "") + oversized, kHostingConnection, 0, Result::kInvalidPacket, {{48, 0}},
       "[[[[[[ Invalid PACKET in HS Socket ]]]]]]\n"},
      {"malformed media", Framed(8, std::string(12, '\0')), 7, 0, Result::kInvalidPacket, {},
       "[[[[[[ Invalid PACKET in CS Socket [ 7 ]]]]]]]\n"},
  };
  for (const auto& c : cases) {
    LogCapture log;
    Recorder rec;
    rec.stop_at_type = c.stop_at_type;
    EXPECT_EQ(c.result, Run(c.script, c.node_index, rec)) << c.name;
    Seen seen;
    for (const auto& [type, body] : rec.seen) seen.emplace_back(type, body.size());
    EXPECT_EQ(c.seen, seen) << c.name;
    if (c.result != Result::kInvalidPacket) continue;
    EXPECT_TRUE(open_after_) << c.name << ": the channel closed itself";
    EXPECT_TRUE(ended_after_) << c.name;
    EXPECT_TRUE(log.Has(c.log_line)) << c.name;
  }
}

TEST_F(SocketChannelReceive, PeerCloseIsReported) {
  Recorder rec;
  LoopbackServer server([](os::SocketHandle) {});
  SocketChannel c;
  ASSERT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
  os::SetRecvTimeout(c.socket(), 5000);
  EXPECT_EQ(SocketChannel::ReceiveResult::kPeerClosed, c.Receive(rec, 0));
}

TEST_F(SocketChannelReceive, NonBlockingWithNothingToRead) {
  Recorder rec;
  os::Event release;
  LoopbackServer server([&](os::SocketHandle) { release.Wait(5000); });
  SocketChannel c;
  ASSERT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
  ASSERT_EQ(0, c.SetNonBlocking(true));
  int error = 0;
  EXPECT_EQ(SocketChannel::ReceiveResult::kWouldBlock, c.Receive(rec, 0, &error));
  EXPECT_TRUE(os::IsWouldBlock(error));
  release.Set();
}

// The owner closes and reconnects from its own thread while the receive
// thread reads on: every message the handler sees must be one the server sent
// whole (connection k sends type 100 + k with body k), never one assembled
// from indices of another connection.
TEST(SocketChannelThreads, CloseAndReconnectWhileReceiving) {
  constexpr int kConnections = 12;
  LoopbackServer server(
      [](os::SocketHandle s) {
        static int connection = 0;
        const uint32_t k = static_cast<uint32_t>(connection++);
        std::string chunk;
        for (int i = 0; i < 64; ++i) {
          std::string body(4, '\0');
          PutBE32(reinterpret_cast<uint8_t*>(body.data()), k);
          chunk += Framed(100 + k, body);
        }
        while (os::Send(s, chunk.data(), static_cast<int>(chunk.size())) > 0) os::SleepMs(1);
      },
      kConnections);
  struct Checker : MessageHandler {
    std::atomic<int> good{0}, bad{0};
    bool OnMessage(const RawMessage& m) override {
      const bool whole = m.type >= 100 && m.length == 4 && GetBE32(m.body) == m.type - 100;
      (whole ? good : bad)++;
      return true;
    }
  } checker;
  SocketChannel c;
  std::atomic<bool> done{false};
  std::atomic<int> invalid{0};
  std::thread receiver([&] {
    while (!done) {
      if (c.Receive(checker, 0) == SocketChannel::ReceiveResult::kInvalidPacket) ++invalid;
      os::SleepMs(0);
    }
  });
  for (int i = 0; i < kConnections; ++i) {
    ASSERT_EQ(0, c.ConnectVia(Direct(), "127.0.0.1", server.port()));
    c.SetNonBlocking(true);
    os::SleepMs(15);
    c.Close();
  }
  done = true;
  receiver.join();
  EXPECT_GT(checker.good.load(), 0);
  EXPECT_EQ(0, checker.bad.load()) << "a message was built from another connection's bytes";
  EXPECT_EQ(0, invalid.load());
}

}  // namespace
}  // namespace net
