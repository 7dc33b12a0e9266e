// Which thread may touch a node, and when: lookups against a node being
// removed, and the receive loop after a camera closed its connection.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>

#include "fakes.h"
#include "hosting/hosting_service.h"
#include "net/tests/loopback_server.h"

namespace hosting {
namespace {

using testing::Eventually;
using testing::FakeNode;
using testing::FakePoster;

// A node that runs a hook the next time a lookup asks for its guard: the
// moment between finding the node and holding it.
class NodeWithGuardHook : public FakeNode {
 public:
  using FakeNode::FakeNode;
  os::UsageGuard& Guard() override {
    if (std::function<void()> hook = std::exchange(hook_, nullptr)) hook();
    return FakeNode::Guard();
  }
  std::function<void()> hook_;
};

struct Service {
  Service() : events(poster, 1), service(events, poster) {}
  FakePoster poster;
  HostEventQueue events;
  HostingService service;
};

// A view's window closes (RemoveNode, then the node is destroyed) just as
// the receive, send or speaker thread finds the node: either the lookup
// misses it, or the removal waits until the lookup lets go.
TEST(NodeLifetime, RemovalNeverReturnsWhileALookupHoldsTheNode) {
  using Lookup = std::function<HeldNode(HostingService&, os::SocketHandle)>;
  const std::vector<std::pair<const char*, Lookup>> lookups = {
      {"GetDirectNode", [](HostingService& s, os::SocketHandle) { return s.GetDirectNode(0); }},
      {"FindDirectNodeBySocket",
       [](HostingService& s, os::SocketHandle h) { return s.nodes().FindDirectNodeBySocket(h); }},
  };
  for (const auto& [name, lookup] : lookups) {
    Service s;
    NodeWithGuardHook node(0, false);
    node.video_.Attach(os::TcpSocket());
    s.service.AddNode(&node);
    std::atomic<bool> removed{false};
    os::Event removal_done(os::Event::Reset::kManual);
    std::thread remover;
    node.hook_ = [&] {
      remover = std::thread([&] {
        s.service.RemoveNode(&node);
        removed = true;
        removal_done.Set();
      });
      // Give the removal every chance to finish inside the lookup's gap.
      removal_done.Wait(300);
    };
    {
      HeldNode held = lookup(s.service, node.video_.socket());
      if (held) {
        EXPECT_FALSE(removed) << name << " handed out a node whose removal had returned (destroyed)";
      }
    }
    remover.join();
    EXPECT_TRUE(removed);
    EXPECT_FALSE(s.service.GetDirectNode(0)) << name;
    EXPECT_EQ(-1, node.Guard().Acquire()) << name << ": a removed node took a new user";
  }
}

// A relayed view whose window handle takes a while to read: long enough for
// a removal that does not wait to destroy the view under the reader.
class SlowWindowNode : public FakeNode {
 public:
  SlowWindowNode() : FakeNode(1, true, "CAM-1") {}
  os::WindowHandle Window() const override {
    asked_.Set();
    os::SleepMs(200);
    return window_;
  }
  mutable os::Event asked_{os::Event::Reset::kManual};

 private:
  os::WindowHandle window_ = 77;
};

// A select error (a handle gone bad) makes the receive thread drop the
// hosting connection and tell every relayed view: it holds the relay list
// while it walks it, so a view closing meanwhile waits instead of vanishing
// under the walk.
TEST(NodeLifetime, TheSelectErrorPathHoldsTheRelayListWhileItWalksIt) {
  Service s;
  auto node = std::make_unique<SlowWindowNode>();
  s.service.AddNode(node.get());
  const os::SocketHandle host = os::TcpSocket();
  s.service.AttachHost(host);
  os::CloseSocket(host);  // behind the channel's back: the next select fails
  s.service.Start();
  ASSERT_TRUE(node->asked_.Wait(5000)) << "the select error never reached the relayed view";
  s.service.RemoveNode(node.get());
  node.reset();
  EXPECT_TRUE(Eventually([&] { return s.poster.Count(os::kWmNodeClose) == 1; }));
  s.service.Stop();
}

// Reports a closed connection as the camera node does: it asks the window to
// run its close sequence and leaves the socket to that window's thread.
class NodeClosedByItsWindow : public FakeNode {
 public:
  NodeClosedByItsWindow(int index, HostingService& service) : FakeNode(index, false), service_(service) {}
  void ParseMessage(os::SocketHandle socket) override {
    net::SocketChannel& c = socket == video_.socket() ? video_ : audio_;
    const auto r = c.Receive(ignore_, Index());
    if (r == net::SocketChannel::ReceiveResult::kPeerClosed || r == net::SocketChannel::ReceiveResult::kError)
      service_.CS_SocketClose(this, socket);
  }

 private:
  struct Ignore : net::MessageHandler {
    bool OnMessage(const net::RawMessage&) override { return true; }
  } ignore_;
  HostingService& service_;
};

// The window thread may take its time to run the close sequence (a modal
// dialog, a busy view): until then the receive thread must not spin on the
// closed socket, posting a close and writing log lines on every pass.
TEST(ClosedConnection, LeavesTheSelectSetAtOnce) {
  Service s;
  NodeClosedByItsWindow node(3, s.service);
  {
    net::testing::LoopbackServer camera([](os::SocketHandle) {});  // accepts and hangs up
    ASSERT_EQ(0, node.video_.ConnectVia(net::ProxySettings{}, "127.0.0.1", camera.port()));
  }
  node.video_.SetNonBlocking(true);
  const os::SocketHandle closed = node.video_.socket();
  s.service.AddNode(&node);
  s.service.Start();
  ASSERT_TRUE(Eventually([&] { return s.poster.Count(os::kWmNodeClose) > 0; })) << "the close was never reported";
  os::SleepMs(3 * SocketLoops::kSendPassSleepMs);
  EXPECT_EQ(1, s.poster.Count(os::kWmNodeClose)) << "the receive thread kept reading the closed socket";
  EXPECT_EQ(static_cast<uintptr_t>(closed), s.poster.Posts().front().wparam) << "the close names its socket";
  os::SocketSet set;
  s.service.BuildSocketSet(&set);
  EXPECT_FALSE(set.Contains(closed)) << "a closed connection is still watched";

  // The window's close sequence, then its reconnect: the new socket is watched.
  node.video_.Close();
  node.video_.Attach(os::TcpSocket());
  s.service.BuildSocketSet(&set);
  EXPECT_TRUE(set.Contains(node.video_.socket())) << "the next connection is not watched";
  s.service.Stop();
  s.service.RemoveNode(&node);
}

// A SOCKS5 proxy that holds the handshake after the greeting until told to go
// on, then records the user name it is sent and hangs up.
class HeldProxy {
 public:
  HeldProxy()
      : server_([this](os::SocketHandle s) {
          const std::string greeting = net::testing::RecvBytes(s, 2);
          if (greeting.size() < 2) return;
          net::testing::RecvBytes(s, static_cast<uint8_t>(greeting[1]));
          in_handshake_.Set();
          go_on_.Wait(5000);
          net::testing::SendBytes(s, std::string("\x05\x02", 2));
          const std::string head = net::testing::RecvBytes(s, 2);
          if (head.size() < 2) return;
          std::lock_guard<std::mutex> lock(mutex_);
          user_ = net::testing::RecvBytes(s, static_cast<uint8_t>(head[1]));
        }) {}
  uint16_t port() const { return server_.port(); }
  bool WaitInHandshake() { return in_handshake_.Wait(5000); }
  void GoOn() { go_on_.Set(); }
  std::string user() {
    std::lock_guard<std::mutex> lock(mutex_);
    return user_;
  }

 private:
  os::Event in_handshake_{os::Event::Reset::kManual}, go_on_{os::Event::Reset::kManual};
  std::mutex mutex_;
  std::string user_;
  net::testing::LoopbackServer server_;
};

// The option sheet saves new proxy settings while a connection is half-way
// through its proxy handshake: that connection finishes with the settings it
// started with, and the next one takes the new ones.
TEST(ProxySettings, AConnectKeepsTheSettingsItStartedWith) {
  HeldProxy proxy;
  Service s;
  net::ProxySettings p = net::testing::LoopbackProxy(5, proxy.port(), "before", "secret");
  s.service.SetProxy(p);
  ASSERT_EQ(0, s.service.Connect({"127.0.0.1", 9, "demo", "demo"}));
  ASSERT_TRUE(proxy.WaitInHandshake()) << "the connect never reached the proxy";
  p.user_id = "after";
  s.service.SetProxy(p);
  proxy.GoOn();
  ASSERT_TRUE(Eventually([&] { return !proxy.user().empty(); })) << "no user name reached the proxy";
  EXPECT_EQ("before", proxy.user()) << "the settings changed under a running handshake";
  EXPECT_EQ("after", s.service.Proxy()->user_id);
}

}  // namespace
}  // namespace hosting
