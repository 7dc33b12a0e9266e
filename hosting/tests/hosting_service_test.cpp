// HostingService against halyard-sim and scripted servers on loopback, and
// through real proxies: login, lists, updates, relayed channels, faults.
#include <gtest/gtest.h>

#include <thread>

#include "fakes.h"
#include "hosting/hosting_service.h"
#include "net/byte_order.h"
#include "net/list_records.h"
#include "net/tests/loopback_server.h"
#include "os/tests/log_capture.h"
#include "world.h"

namespace hosting {
namespace {

using testing::Eventually;
using testing::FakeNode;
using testing::FakePoster;
using net::testing::Framed;

std::string Word(uint32_t v) {
  std::string s(4, '\0');
  net::PutBE32(reinterpret_cast<uint8_t*>(s.data()), v);
  return s;
}


// One HostingService with recording fakes around it, threads running.
class Harness {
 public:
  explicit Harness(bool start = true) : events_(poster_, 1), service_(events_, poster_) {
    if (start) service_.Start();
  }
  ~Harness() { service_.Stop(); }

  // Every event so far, in order (the main window's side of the queue).
  std::vector<HostEvent>& Events() {
    HostEvent e;
    while (events_.Pop(&e)) seen_.push_back(e);
    return seen_;
  }
  std::vector<size_t> Kinds() {
    std::vector<size_t> k;
    for (const auto& e : Events()) k.push_back(e.index());
    return k;
  }
  template <typename T>
  bool Has() {
    return Count<T>() > 0;
  }
  template <typename T>
  int Count() {
    int n = 0;
    for (const auto& e : Events()) n += Is<T>(e);
    return n;
  }

  FakePoster poster_;
  HostEventQueue events_;
  HostingService service_;
  std::vector<HostEvent> seen_;
};

class WithSim : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::WorldConfig config;
    config.media_dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
    std::string error;
    ASSERT_TRUE(sim::ParseWorldOptions({"--hosting-port", "0", "--user", "demo:demo", "--camera",
                                        "CAM-1:0:test_176x144.m4v", "--file", "rec/one.mp4:CAM-1:test_176x144.m4v"},
                                       &config, &error));
    world_ = std::make_unique<sim::World>(config);
    ASSERT_TRUE(world_->Start(&error)) << error;
  }
  void TearDown() override { world_->Stop(); }
  uint16_t port() { return world_->hosting()->port(); }
  // Connects as demo and waits for the login.
  bool LogIn(Harness& h) {
    return h.service_.Connect({"127.0.0.1", port(), "demo", "demo"}) == 0 &&
           Eventually([&] { return h.Has<HostLoggedIn>(); });
  }
  size_t Logins() { return world_->log().Lines("hosting RequestUserLogin").size(); }
  // The reconnect waits a hundred times shorter.
  static constexpr net::ReconnectWaits kFastWaits{600, {10, 20, 40, 80, 100}};

  std::unique_ptr<sim::World> world_;
};

// Then a keep-alive is answered and an oversized packet closes the connection.
TEST_F(WithSim, LoginAcceptedThenBothListsArriveAndAnOversizedPacketCloses) {
  LogCapture log;
  Harness h;
  ASSERT_EQ(0, h.service_.Connect({"127.0.0.1", port(), "demo", "demo"}));
  ASSERT_TRUE(Eventually([&] { return h.Has<HostCameraList>() && h.Has<HostFileList>(); }));
  EXPECT_TRUE(Is<HostConnected>(h.Events()[0]));
  EXPECT_TRUE(Is<HostLoggedIn>(h.Events()[1]));
  EXPECT_EQ("127.0.0.1", std::get<HostConnected>(h.Events()[0]).address);
  EXPECT_EQ(port(), std::get<HostConnected>(h.Events()[0]).port);
  for (const auto& e : h.Events())
    if (auto* list = std::get_if<HostCameraList>(&e)) {
      EXPECT_EQ(1u, list->cameras.size());
    }
  EXPECT_GE(h.poster_.Count(os::kWmHostEvent), 4) << "every event rings the main window's doorbell";
  EXPECT_EQ(1u, world_->log().Lines("hosting RequestOnlineCameraList").size());
  EXPECT_EQ(1u, world_->log().Lines("hosting RequestFileList text=ALL").size());
  EXPECT_TRUE(log.Has("SEND : < HostingService::RequestUserLogin >id = demo , passwd = * \n"));
  EXPECT_TRUE(log.Has("SEND : online cam list request\n"));
  EXPECT_FALSE(log.Mentions("passwd = demo")) << "the password must never be logged";

  world_->Execute("keepalive hosting");
  EXPECT_TRUE(Eventually([&] { return !world_->log().Lines("hosting KeepAlive").empty(); }));
  world_->Execute("fault hosting oversized");
  EXPECT_TRUE(Eventually([&] { return h.Has<HostClosed>(); }));
  EXPECT_TRUE(log.Has("[[[[[[ Invalid PACKET in HS Socket ]]]]]]\n"));
  EXPECT_FALSE(h.service_.HostConnected());
}

TEST_F(WithSim, UnreachableServerTellsTheMainWindow) {
  Harness h;
  uint16_t closed_port = port();
  world_->Stop();
  ASSERT_EQ(0, h.service_.Connect({"127.0.0.1", closed_port, "demo", "demo"}));
  ASSERT_TRUE(Eventually([&] { return h.Has<HostUnreachable>(); }));
  EXPECT_EQ("127.0.0.1", std::get<HostUnreachable>(h.Events()[0]).address);
  EXPECT_EQ(closed_port, std::get<HostUnreachable>(h.Events()[0]).port);
}

// A server that lost its power or its link sends no close: the keep-alive's
// deadline notices the silence and the connection is restored. A quiet
// server that answers the probes stays, and no answer is answered again.
TEST_F(WithSim, ASilentHostingServerIsNoticedAndReplaced) {
  Harness h;
  h.service_.SetKeepAlive(100, 400);
  h.service_.SetHostReconnect(true, kFastWaits);
  ASSERT_TRUE(LogIn(h));
  os::SleepMs(1000);  // no views: nothing but the probes and their answers
  EXPECT_EQ(1, h.Count<HostLoggedIn>()) << "a quiet server that answers was dropped";
  const size_t probes = world_->log().Lines("hosting KeepAlive").size();
  EXPECT_GE(probes, 2u) << "no keep-alives asked";
  EXPECT_LE(probes, 12u) << "keep-alives played ping-pong";
  world_->Execute("fault hosting silent");
  EXPECT_TRUE(Eventually([&] { return h.Count<HostLoggedIn>() == 2; }, 3000)) << "the silence was never noticed";
  EXPECT_TRUE(h.Has<HostReconnecting>());
}

// A server that accepts the login and drops the connection at once, again
// and again: the waits between the attempts grow instead of starting afresh.
TEST_F(WithSim, AServerThatDropsEveryLoginAtOnceIsNotHammered) {
  Harness h;
  h.service_.SetHostReconnect(true, kFastWaits);
  h.service_.Connect({"127.0.0.1", port(), "demo", "demo"});
  for (int login = 1; login <= 3; ++login) {
    ASSERT_TRUE(Eventually([&] { return h.Count<HostLoggedIn>() == login && h.service_.HostConnected(); }));
    world_->Execute("fault hosting close");
  }
  ASSERT_TRUE(Eventually([&] { return h.Count<HostLoggedIn>() == 4; }));
  uint32_t last = 0;
  for (const auto& e : h.Events())
    if (Is<HostReconnecting>(e)) last = static_cast<uint32_t>(std::get<HostReconnecting>(e).attempt);
  EXPECT_EQ(3u, last) << "the attempts' count started afresh after each login";
}

// The user connects by hand while the reconnect loop waits for its next
// attempt: the loop ends and leaves the user's connection alone.
TEST_F(WithSim, AConnectionMadeByHandEndsTheReconnectLoop) {
  Harness h;
  h.service_.SetHostReconnect(true, {600, {3000, 3000, 3000, 3000, 3000}});
  ASSERT_TRUE(LogIn(h));
  world_->Execute("restart hosting 0.2");
  ASSERT_TRUE(Eventually([&] { return h.service_.host_attempt() == 2; })) << "the first attempt did not fail";
  ASSERT_TRUE(Eventually([&] { return world_->hosting()->listener().listening(); }));
  ASSERT_EQ(0, h.service_.Connect({"127.0.0.1", port(), "demo", "demo"}));
  ASSERT_TRUE(Eventually([&] { return h.Count<HostLoggedIn>() == 2; }));
  EXPECT_TRUE(Eventually([&] { return h.service_.host_attempt() == 0; }, 1000)) << "the loop waits on";
  EXPECT_EQ(2u, Logins()) << "the loop logged in over the user's connection";
}

// A SOCKS4 proxy for one connection that holds its answer until told to go
// on, then tunnels to the target; it notes when the client hangs up.
class HeldTunnel {
 public:
  explicit HeldTunnel(uint16_t target)
      : server_([this, target](os::SocketHandle client) {
          net::testing::RecvBytes(client, 9);  // the request and the empty user ID's NUL
          asked_.Set();
          go_on_.Wait(5000);
          os::SocketHandle server = os::TcpSocket();
          os::Connect(server, 0x7F000001, target);
          net::testing::SendBytes(client, std::string("\0\x5A\0\0\0\0\0\0", 8));
          for (char buffer[4096];;) {
            os::SocketSet set;
            set.Add(client);
            set.Add(server);
            if (os::SelectRead(set, 5000) <= 0) break;
            const bool from_client = set.IsReady(client);
            const int n = os::Recv(from_client ? client : server, buffer, sizeof buffer);
            if (n <= 0) {
              if (from_client) hung_up_.Set();
              break;
            }
            os::Send(from_client ? server : client, buffer, n);
          }
          os::CloseSocket(server);
        }) {}
  net::ProxySettings Settings() const { return net::testing::LoopbackProxy(4, server_.port()); }
  bool WaitAsked() { return asked_.Wait(5000); }
  void GoOn() { go_on_.Set(); }
  bool ClientHungUp(int wait_ms) { return hung_up_.Wait(wait_ms); }

 private:
  os::Event asked_{os::Event::Reset::kManual}, go_on_{os::Event::Reset::kManual},
      hung_up_{os::Event::Reset::kManual};
  net::testing::LoopbackServer server_;
};

// The user logs out while the reconnect loop's connection is under way:
// that connection never logs in behind the user's back.
TEST_F(WithSim, ALogoutDuringTheLoopsConnectIsNotUndone) {
  Harness h;
  h.service_.SetHostReconnect(true, kFastWaits);
  ASSERT_TRUE(LogIn(h));
  HeldTunnel tunnel(port());
  h.service_.SetProxy(tunnel.Settings());  // only the loop's attempt goes through it
  world_->Execute("fault hosting close");
  ASSERT_TRUE(tunnel.WaitAsked()) << "the loop made no attempt";
  h.service_.CloseHost();
  tunnel.GoOn();
  EXPECT_TRUE(tunnel.ClientHungUp(3000)) << "the abandoned connection was kept";
  EXPECT_FALSE(h.service_.HostConnected());
  EXPECT_EQ(1, h.Count<HostLoggedIn>());
  EXPECT_EQ(1u, Logins());
}

// Relayed channels of a camera and of a stored file; a closed hosting
// connection closes every relay node.
TEST_F(WithSim, RelayedChannelsDeliverMediaAndCloseWithTheHost) {
  Harness h;
  FakeNode node(3, true, "CAM-1"), file(2, true, "rec/one.mp4");
  h.service_.AddNode(&node);
  h.service_.AddNode(&file);
  ASSERT_TRUE(LogIn(h));
  h.service_.RequestChannelSetup(RequestTarget::Host(), net::kChannelVideo, "CAM-1\n");
  h.service_.RequestChannelSetup(RequestTarget::Host(), net::kChannelFileVideo, "CAM-1", "rec/one.mp4");
  ASSERT_TRUE(Eventually([&] { return node.kinds().size() >= 5 && file.kinds().size() >= 3; }));
  EXPECT_NE(net::kChannelNotFound, node.VideoChannelId());
  EXPECT_EQ(net::kMediaVideoConfig, node.kinds()[0]) << "the configuration unit comes first";
  EXPECT_EQ(net::kMediaVideoFrame, node.kinds()[1]);
  EXPECT_FALSE(world_->log().Lines("hosting RequestChannelCommand channel=" + std::to_string(node.VideoChannelId()) +
                                   " command=3")
                   .empty());
  // A stored file plays from its start.
  EXPECT_EQ(file.VideoChannelId(), file.params().channel_id()) << "NodeParameters stored in the node";
  EXPECT_FALSE(world_->log().Lines("hosting RequestFilePlay position=-1 file=rec/one.mp4").empty());
  EXPECT_LT(file.timestamps()[1], 1000u);

  world_->Execute("fault hosting close");
  ASSERT_TRUE(Eventually([&] { return h.poster_.Count(os::kWmNodeClose) == 2; }));
  EXPECT_TRUE(h.Has<HostClosed>());
  h.service_.RemoveNode(&node);
  h.service_.RemoveNode(&file);
}

// Scripted hosting servers: the login reply (`accepted` or not) and what
// follows it, exact byte streams in one write.
class Scripted : public ::testing::Test {
 protected:
  void Run(const std::string& after_login, Harness& h, std::function<bool()> done, bool accepted = true) {
    net::testing::LoopbackServer server([&](os::SocketHandle s) {
      net::testing::RecvBytes(s, 80);
      net::testing::SendBytes(s, Framed(net::kReplyUserLogin, Word(accepted ? 1 : 0)) + after_login);
      net::testing::RecvBytes(s, 1 << 20);  // until the client closes
    });
    ASSERT_EQ(0, h.service_.Connect({"127.0.0.1", server.port(), "u", "p"}));
    EXPECT_TRUE(Eventually(done));
    os::SleepMs(200);  // let anything that should not happen show itself
    h.service_.CloseHost();
  }
};

// One read holds camera lists (one empty, one with a cut record after the
// whole one), updates of the wrong size, a message of an unknown type and a
// channel reply for a camera no node wants: the lists come in order, the bad
// updates and the stray reply are dropped quietly. List replies are decoded
// on the receive thread, each record within its body.
TEST_F(Scripted, OneReadOfListsUpdatesAndStrayRepliesIsTakenApartInOrder) {
  Harness h;
  LogCapture log;
  net::CameraRecord a, b;
  a.camera_id = "A";
  b.camera_id = "B";
  auto ra = net::EncodeCameraRecord(a), rb = net::EncodeCameraRecord(b);
  const auto update = net::EncodeCameraUpdate(2, a);
  const std::string good(update.begin(), update.end()), bad(net::kCameraUpdateSize - 1, '\0');
  std::string file(net::kFileUpdateSize + 4, '\0');
  net::ChannelSetupRecord r = net::MakeChannelSetupRequest(net::kChannelVideo, "NOBODY", "");
  r.channel_id = 42;
  auto body = net::EncodeChannelSetup(r);
  Run(Framed(net::kReplyCameraList, std::string(ra.begin(), ra.end())) + Framed(net::kReplyCameraList, "") +
          Framed(net::kReplyCameraList, std::string(rb.begin(), rb.end()) + std::string(100, '\xAB')) +
          Framed(net::kReplyOnlineCameraUpdate, bad) + Framed(net::kReplyFileListUpdate, file) +
          Framed(net::kReplyOnlineCameraUpdate, good) + Framed(77, "") +
          Framed(net::kReplyChannelSetup, std::string(body.begin(), body.end())) + Framed(net::kReplyFileList, std::string(net::kFileRecordSize - 1, '\x01')),
      h, [&] { return h.Has<HostFileList>(); });
  std::vector<std::string> ids;
  for (const auto& e : h.Events())
    if (auto* list = std::get_if<HostCameraList>(&e))
      for (const auto& camera : list->cameras) ids.push_back(camera.camera_id);
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), ids) << "an empty list is no event, a cut record no camera";
  EXPECT_EQ(1, h.Count<HostCameraUpdate>() + h.Count<HostFileUpdate>());
  for (const auto& e : h.Events())
    if (auto* changed = std::get_if<HostCameraUpdate>(&e)) {
      EXPECT_EQ(2u, changed->code);
    }
  for (const auto& e : h.Events())
    if (auto* files = std::get_if<HostFileList>(&e)) {
      EXPECT_TRUE(files->files.empty()) << "a cut file record";
    }
  EXPECT_TRUE(log.Has("RECV : [ HostingService::HS_ReplyOnlineCameraUpdate ] (Data Length = 447)\n"));
  EXPECT_TRUE(log.Has("RECV : unkown message 77, msglen = 0\n"));
  EXPECT_FALSE(h.Has<ChannelNotFound>());
}

// What the user must hear of reaches the main window as an event; the
// network threads show nothing themselves. The camera list after the
// refusal is never taken apart.
TEST_F(Scripted, RefusedLoginTellsTheMainWindowClosesAndDiscardsTheRestOfTheBuffer) {
  Harness h;
  auto ra = net::EncodeCameraRecord(net::CameraRecord{});
  Run(Framed(net::kReplyCameraList, std::string(ra.begin(), ra.end())), h, [&] { return h.Has<HostClosed>(); },
      false);
  std::vector<size_t> kinds = h.Kinds();
  kinds.resize(std::min<size_t>(kinds.size(), 3));  // Run's own CloseHost comes after
  EXPECT_EQ((std::vector<size_t>{HostEvent(HostConnected{}).index(), HostEvent(HostLoginRefused{}).index(),
                                 HostEvent(HostClosed{}).index()}),
            kinds);
  EXPECT_FALSE(h.service_.HostConnected());
}

TEST(HostEventQueue, TwentyFirstUnreadEventIsDropped) {
  FakePoster poster;
  HostEventQueue q(poster, 7);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(q.Push(RelayNodeSetUp{std::to_string(i)}));
  EXPECT_FALSE(q.Push(RelayNodeSetUp{"20"}));
  EXPECT_EQ(20, poster.Count(os::kWmHostEvent)) << "a dropped event rings no doorbell";
  HostEvent e;
  ASSERT_TRUE(q.Pop(&e));
  EXPECT_EQ("0", std::get<RelayNodeSetUp>(e).camera_id);
  EXPECT_TRUE(q.Push(HostFileList{}));
  for (int i = 1; i < 20; ++i) ASSERT_TRUE(q.Pop(&e));
  ASSERT_TRUE(q.Pop(&e));
  EXPECT_TRUE(Is<HostFileList>(e)) << "slots are reused in ring order";
  EXPECT_FALSE(q.Pop(&e));
  q.Push(HostClosed{});
  q.Reset();
  EXPECT_EQ(0, q.count());
  EXPECT_FALSE(q.Pop(&e));
}

TEST(HostingSockets, EverySocketOfFortyDirectNodesIsWatched) {
  Harness idle(false);
  HostingService& service = idle.service_;
  std::vector<std::unique_ptr<FakeNode>> nodes;
  for (int i = 0; i < 40; ++i) {
    nodes.push_back(std::make_unique<FakeNode>(i, false));
    nodes.back()->video_.Attach(os::TcpSocket());
    nodes.back()->audio_.Attach(os::TcpSocket());
    service.AddNode(nodes.back().get());
  }
  const os::SocketHandle host = os::TcpSocket();
  service.AttachHost(host);
  os::SocketSet set;
  service.BuildSocketSet(&set);
  EXPECT_EQ(81, set.Count());
  EXPECT_EQ(host, set.At(0));
  EXPECT_EQ(nodes[39]->audio_.socket(), set.At(80));
  for (auto& n : nodes) EXPECT_EQ(0, n->Guard().users()) << "building the set releases every guard";

  {
    HeldNode held = service.nodes().FindDirectNodeBySocket(nodes[5]->audio_.socket());
    ASSERT_TRUE(held);
    EXPECT_EQ(nodes[5].get(), held.get());
    EXPECT_EQ(1, nodes[5]->Guard().users());
  }
  EXPECT_EQ(0, nodes[5]->Guard().users()) << "the handle releases the node when it goes";
  ASSERT_EQ(0, nodes[6]->Guard().Acquire());
  std::thread closing([&] { nodes[6]->Guard().Close(2000); });
  EXPECT_TRUE(Eventually([&] { return !service.GetDirectNode(6); })) << "a closing node was handed out";
  nodes[6]->Guard().Release();
  closing.join();
  service.Disconnect();
  EXPECT_TRUE(nodes[0]->no_retry_) << "Disconnect stops every direct node from reconnecting";
  EXPECT_EQ(0, service.direct_nodes().Size());
}

// A socket handle is as wide as a pointer (64 bits on Win64). Two handles that
// differ only above bit 31 must stay two sockets wherever one is stored.
TEST(HostingSockets, HandlesAreKeptWhole) {
  const os::SocketHandle low = 0x7fff0001;
  os::SocketHandle high = 0;
  if constexpr (sizeof(os::SocketHandle) >= 8) {
    high = static_cast<os::SocketHandle>((static_cast<int64_t>(1) << 32) | low);
  } else {
    high = static_cast<os::SocketHandle>(0x80000000u | static_cast<uint32_t>(low));
  }
  Harness idle(false);
  HostingService& service = idle.service_;
  FakeNode a(0, false), b(1, false);
  a.video_.Attach(low);
  b.video_.Attach(high);
  service.AddNode(&a);
  service.AddNode(&b);

  os::SocketSet set;
  service.BuildSocketSet(&set);
  EXPECT_TRUE(set.Contains(low));
  EXPECT_TRUE(set.Contains(high));
  EXPECT_EQ(&a, service.nodes().FindDirectNodeBySocket(low).get());
  EXPECT_EQ(&b, service.nodes().FindDirectNodeBySocket(high).get());

  // The event that tells the main window which node identified itself.
  ASSERT_TRUE(idle.events_.Push(DirectCameraInfo{static_cast<EventSocket>(high), ""}));
  HostEvent e;
  ASSERT_TRUE(idle.events_.Pop(&e));
  EXPECT_EQ(high, static_cast<os::SocketHandle>(std::get<DirectCameraInfo>(e).socket));

  service.RemoveNode(&a);
  service.RemoveNode(&b);
  // Made-up handles: forget them rather than close whatever they might name.
  a.video_.Attach(os::kInvalidSocket);
  b.video_.Attach(os::kInvalidSocket);
}

// A full send buffer is SocketChannel's rule (net tests); here: no connection, no request.
TEST(HostingQueue, RequestsWithoutAnOpenConnectionAreNotSent) {
  Harness idle(false);
  HostingService& service = idle.service_;
  EXPECT_EQ(-1, service.RequestOnlineCameraList(nullptr)) << "no channel, nothing sent";
  EXPECT_EQ(-1, service.RequestOnlineCameraList(RequestTarget::Host())) << "closed connection";
  EXPECT_EQ(-1, service.RequestChannelRelease(RequestTarget::Host(), 5)) << "closed connection, sent at once";
  service.AttachHost(os::TcpSocket());
  const int queued = service.RequestChannelSetup(RequestTarget::Host(), net::kChannelVideo, "CAM");
  EXPECT_GT(queued, 0);
  EXPECT_EQ(static_cast<uint32_t>(queued), service.HostPending());
}

TEST(HostingThreads, StopEndsBothLoopsWithinTheirWait) {
  Harness idle(false);
  HostingService& service = idle.service_;
  service.Start();
  service.AttachHost(os::TcpSocket());  // an idle socket keeps the loops in select
  os::SleepMs(50);
  uint64_t start = os::MonotonicMs();
  service.Stop();
  EXPECT_LT(os::MonotonicMs() - start, 2u * SocketLoops::kThreadStopWaitMs);
}

}  // namespace
}  // namespace hosting
