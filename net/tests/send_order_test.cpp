// One writer per socket: a message sent at once never lands inside a queued
// one that the send thread has only partly written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "net/receive_buffer.h"
#include "net/socket_channel.h"

namespace net {
namespace {

// A socket that takes at most a few bytes per send, as a slow camera link
// does once its buffers are full, and keeps what it took in order.
class TrickleSocket : public os::SocketWriter {
 public:
  explicit TrickleSocket(int per_send) : per_send_(per_send) {}
  int Send(os::SocketHandle, const void* data, int length) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const int n = std::min(length, per_send_);
    wire_.append(static_cast<const char*>(data), static_cast<size_t>(n));
    return n;
  }
  int WaitWritable(os::SocketHandle, int) override { return 1; }
  std::string wire() {
    std::lock_guard<std::mutex> lock(mutex_);
    return wire_;
  }

 private:
  std::mutex mutex_;
  const int per_send_;
  std::string wire_;
};

struct Message {
  uint32_t type;
  std::string body;
};

// What the camera reads from those bytes; a framing error ends the list.
std::vector<Message> Parse(const std::string& wire, bool* garbage) {
  ReceiveBuffer in;
  std::memcpy(in.FreeSpace(), wire.data(), wire.size());
  in.Commit(static_cast<uint32_t>(wire.size()));
  std::vector<Message> out;
  RawMessage m;
  ReceiveBuffer::Next next;
  while ((next = in.TakeMessage(&m)) == ReceiveBuffer::Next::kMessage)
    out.push_back({m.type, std::string(reinterpret_cast<const char*>(m.body), m.length)});
  *garbage = next == ReceiveBuffer::Next::kInvalid || in.buffered() != 0;
  return out;
}

class OneWriter : public ::testing::Test {
 protected:
  OneWriter() : socket_(3) {
    channel_.UseWriter(socket_);
    channel_.Attach(os::TcpSocket());  // never connected: the trickle socket stands in
  }
  void DrainLikeTheSendThread() {
    for (int i = 0; i < 10000 && channel_.pending() > 0; ++i) channel_.SendPending();
  }
  TrickleSocket socket_;
  SocketChannel channel_;
};

// A message queued after the immediate one is still whole and behind it.
TEST_F(OneWriter, MessageSentAtOnceFollowsAPartlyWrittenQueuedOne) {
  const std::string setup(40, 'q'), release("RELEASE!");
  ASSERT_GT(channel_.QueueMessage(4, setup.data(), 40), 0);
  ASSERT_EQ(3, channel_.SendPending()) << "the send thread's pass wrote only the socket's share";
  EXPECT_EQ(8 + 8, channel_.SendNow(9, release.data(), 8)) << "the whole message went out";
  ASSERT_GT(channel_.QueueMessage(3, "third", 5), 0);
  DrainLikeTheSendThread();
  bool garbage = false;
  const std::vector<Message> seen = Parse(socket_.wire(), &garbage);
  EXPECT_FALSE(garbage) << "the camera read a broken stream";
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(4u, seen[0].type);
  EXPECT_EQ(setup, seen[0].body);
  EXPECT_EQ(9u, seen[1].type);
  EXPECT_EQ(release, seen[1].body);
  EXPECT_EQ("third", seen[2].body);
  EXPECT_EQ(0u, channel_.pending());
}

}  // namespace
}  // namespace net
