// CNodeWindow's link against halyard-sim: direct and relay nodes, stored
// files, refusals, reconnects and notices. The control requests on the wire
// are in camera_control_test.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "net/byte_order.h"
#include "os/tests/blackhole.h"
#include "net/tests/loopback_server.h"
#include "node/link/tests/link_fixture.h"
#include "os/clock.h"
#include "os/local_time.h"
#include "os/tests/log_capture.h"

namespace node {
namespace {

using namespace node::testing;  // the fixture

// Found through the dynamic-IP server, whose answer is remembered.
TEST_F(NodeLink, DirectNodeFindsAndIdentifiesItsCameraAndStreams) {
  CNodeWindow& node = MakeNode(false);
  ASSERT_EQ(0, node.SetAddress({"127.0.0.1", world_->ddns()->port(), true, "gate", "demo", "demo"}));
  ASSERT_TRUE(Streaming(node));
  EXPECT_EQ("127.0.0.1", dynamic_ip_.saved["Gate camera"]);
  EXPECT_EQ("CAM-1", node.camera_id());
  EXPECT_EQ(net::kMediaVideoConfig, media_.units[0].first) << "the configuration unit comes first";
  EXPECT_TRUE(media_.worker);
  // Pump delivers on this thread, which plays the window's thread.
  EXPECT_EQ(media_.worker_started_on, std::this_thread::get_id()) << "Setup ran on the receive thread";
  for (std::thread::id timer_thread : pump_.TimerThreads())
    EXPECT_EQ(timer_thread, std::this_thread::get_id()) << "a timer was set off the window's thread";
  EXPECT_NE(net::kChannelNotFound, node.channel(CNodeWindow::kVideo).id);
  EXPECT_GE(pump_.Count(kParent, os::kWmNodeChannelReady), 1);
  // The audio link comes up by itself for a direct node and brings audio and speaker channels.
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return media_.Count(net::kMediaAudio) >= 2; }));
  EXPECT_TRUE(node.audio_link_ready());
  EXPECT_TRUE(Sent("CAM-1 RequestChannelSetup kind=3 direction=1 camera=CAM-1"));
  int info = 0, identified = 0;
  for (hosting::HostEvent e; events_->Pop(&e);)
    info += hosting::Is<hosting::DirectCameraInfo>(e), identified += hosting::Is<hosting::DirectIdentified>(e);
  EXPECT_TRUE(info && identified) << info << " camera infos, " << identified << " identifications";

  // A close for another link is stale; the user's Close releases the channels.
  node.HandleMessage(os::kWmNodeClose, 123456, 0);
  node.HandleMessage(os::kWmNodeClose, static_cast<uintptr_t>(-1), 0);
  EXPECT_EQ("CAM-1", node.camera_id());
  EXPECT_TRUE(node.VideoChannel()->IsOpen());
  node.CloseCommand();
  EXPECT_TRUE(node.camera_id().empty());
  EXPECT_TRUE(Sent("CAM-1 RequestChannelCommand channel=")) << "channels are released on Close";
  EXPECT_GE(media_.recording_stops.load(), 1) << "a recording is finished before the link closes";
}

TEST_F(NodeLink, RefusedLoginNeverReconnects) {
  for (bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "kept reconnecting" : "three attempts");
    const size_t before = Logins();
    CNodeWindow& node = MakeFastNode(keep);
    node.SetAddress(Camera("wrong"));
    ASSERT_TRUE(pump_.RunUntil(node, [&] { return node.connect_status() == kStatusLoginRefused; }));
    EXPECT_TRUE(node.no_retry());
    pump_.RunUntil(node, [] { return false; }, 1500);
    EXPECT_EQ(before + 1, Logins()) << "a refused login must not be retried";
    EXPECT_EQ(0, node.next_attempt_number());
  }
  EXPECT_EQ(2u, Events(EventKind::kLoginRefused));
  EXPECT_EQ(0u, Events(EventKind::kReconnectAttempt));
}

// The camera is gone for 200 s of the node's time (2 s here, its waits a
// hundred times shorter): kept reconnecting, the view streams again and the
// log tells the outage; otherwise the three attempts end before the camera
// is back, and nothing tries again.
TEST_F(NodeLink, OutageOfMoreThanThreeMinutesIsHealedOnlyWhenKeptReconnecting) {
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "kept reconnecting" : "three attempts");
    ForgetUnits();
    const int failures_before = pump_.Count(kSelf, os::kWmNodeConnectStatus, kStatusCannotConnect);
    CNodeWindow& node = MakeFastNode(keep);
    node.SetAddress(Camera());
    ASSERT_TRUE(Streaming(node));
    world_->Execute("restart CAM-1 2");
    const uint64_t back = os::MonotonicMs() + 2000;
    if (keep) {
      ASSERT_TRUE(pump_.RunUntil(node, [&] { return node.next_attempt_number() >= 3; }, 3000));
      ForgetUnits();
      ASSERT_TRUE(Streaming(node)) << "no pictures after the camera came back";
      EXPECT_GT(os::MonotonicMs(), back);
      EXPECT_EQ(1u, Events(EventKind::kResumed));
      EXPECT_GE(Events(EventKind::kReconnectAttempt), 5u);
      EXPECT_EQ(0u, Events(EventKind::kGaveUp));
    } else {
      ASSERT_TRUE(pump_.RunUntil(node, [&] { return os::MonotonicMs() > back + 1500; }, 6000));
      EXPECT_TRUE(node.camera_id().empty()) << "the link came back without kept reconnecting";
      EXPECT_EQ(failures_before + 3, pump_.Count(kSelf, os::kWmNodeConnectStatus, kStatusCannotConnect));
      EXPECT_EQ(kStatusCannotConnect, node.connect_status());
      EXPECT_EQ(1u, Events(EventKind::kGaveUp));
    }
    node_.reset();
  }
  EXPECT_EQ(2u, Events(EventKind::kLinkLost));
}

// A link's start-up takes a few send passes: each answer of the camera is
// news until the first picture, after which only pictures are.
TEST(StallWatchdog, AnswersDelayTheVerdictOnlyUntilTheFirstPicture) {
  StallWatchdog dog(500);
  dog.Arm(1000, 77);
  dog.OnAnswer(1400);
  EXPECT_FALSE(dog.Check(1800)) << "the camera answered 400 ms ago";
  EXPECT_TRUE(dog.Check(1900));
  EXPECT_EQ(77, dog.stalled_since());
  dog.OnAnswer(2000);  // a late answer of the healed link
  EXPECT_FALSE(dog.Check(5000)) << "disarmed until the link is up again";
  dog.Arm(6000, 90);
  dog.OnVideo(6100, 91);
  EXPECT_EQ(0, dog.stalled_since());
  dog.OnAnswer(6500);
  EXPECT_TRUE(dog.Check(6600)) << "after video only video counts";
  EXPECT_EQ(91, dog.stalled_since());
}

// A camera that keeps its connection open but sends nothing: the view
// notices, tells since when nothing came, and reconnects; the next pictures
// end the stall.
TEST_F(NodeLink, AStalledDirectLinkIsReconnected) {
  stall_ms_ = 800;
  CNodeWindow& node = MakeFastNode(true);
  node.SetAddress(Camera());
  ASSERT_TRUE(Streaming(node));
  const size_t logins = Logins();
  const int64_t before = os::WallSeconds();
  world_->Execute("fault CAM-1 stall 2000");
  ASSERT_TRUE(RunTicking(node, [&] { return node.stalled_since() != 0; }));
  EXPECT_LE(node.stalled_since(), before + 1) << "the time of the last picture";
  EXPECT_GE(node.stalled_since(), before - 2);
  ASSERT_TRUE(RunTicking(node, [&] { return Logins() > logins; }, 3000)) << "no reconnect after the stall";
  ForgetUnits();
  ASSERT_TRUE(RunTicking(node, [&] { return media_.Count(net::kMediaVideoFrame) >= 3; }));
  EXPECT_EQ(0, node.stalled_since());
  EXPECT_GE(Events(EventKind::kStalled), 1u);
  EXPECT_EQ(1u, Events(EventKind::kResumed));
  // The view hears of the outage once, though the stall also closed the link.
  EXPECT_EQ(1, pump_.Count(kParent, os::kWmNodeOutage, 1));
  EXPECT_EQ(1, pump_.Count(kParent, os::kWmNodeOutage, 0));
}

// The hosting server restarts: the client logs in again by itself and the
// relayed view gets its channels again, its recording interrupted, not
// ended; a connection the user closed stays closed.
TEST_F(NodeLink, RelayViewStreamsAgainAfterTheHostingServerRestarts) {
  hosting_->SetHostReconnect(true, {600, {10, 20, 40, 80, 100}});
  hosting_->Start();
  ASSERT_TRUE(HostLoggedIn());
  CNodeWindow& node = MakeNode(true);
  node.OpenRelayCamera("CAM-1\n");
  ASSERT_TRUE(Streaming(node));
  const auto logins = [&] { return world_->log().Lines("hosting RequestUserLogin").size(); };
  const size_t before = logins();
  world_->Execute("restart hosting 1");
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return node.camera_id().empty(); })) << "the relay link did not close";
  ASSERT_TRUE(Eventually([&] { return hosting_->host_attempt() >= 2; }, 3000)) << "no attempts while the server is away";
  ForgetUnits();
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return media_.Count(net::kMediaVideoFrame) >= 3; }, 10000))
      << "the relayed view never streamed again";
  EXPECT_EQ(before + 1, logins()) << "one login once the server listened again";
  EXPECT_EQ("CAM-1", node.camera_id());
  EXPECT_EQ(1u, Events(EventKind::kLinkLost));
  EXPECT_EQ(1u, Events(EventKind::kResumed));
  EXPECT_GE(media_.recording_interruptions.load(), 1);
  EXPECT_EQ(0, media_.recording_stops.load()) << "the recording ended with the connection";

  hosting_->CloseHost();
  pump_.RunUntil(node, [] { return false; }, 800);
  EXPECT_EQ(before + 1, logins()) << "a connection the user closed was restored";
  EXPECT_EQ(0, hosting_->host_attempt());
}

// A camera that accepts and drops every link at once is not hammered: kept
// reconnecting, the waits go on growing until a link stays up.
TEST_F(NodeLink, ACameraThatDropsEveryLinkAtOnceIsNotHammered) {
  CNodeWindow& node = MakeFastNode(true);
  node.SetAddress(Camera());
  for (int drop = 0; drop < 3; ++drop) {
    ASSERT_TRUE(Streaming(node));
    ForgetUnits();
    world_->Execute("fault CAM-1 close");
    ASSERT_TRUE(pump_.RunUntil(node, [&] { return node.camera_id().empty(); }));
  }
  ASSERT_TRUE(Streaming(node));
  EXPECT_GE(Events(EventKind::kReconnectAttempt), 3u) << "each drop started the waits afresh";
}

// A relayed camera gone offline at the hosting server: the view asks again
// by itself, and each answer goes to its status line and the event log; the
// user is told once, when they opened the view, not at each retry.
TEST_F(NodeLink, ARelayedCameraGoneOfflineIsToldOnceThenOnlyLogged) {
  ASSERT_TRUE(HostLoggedIn());
  stall_ms_ = 200;
  world_->Execute("offline CAM-1");
  CNodeWindow& node = MakeNode(true);
  node.OpenRelayCamera("CAM-1\n");
  ASSERT_TRUE(RunTicking(node, [&] { return Events(EventKind::kNotFound) >= 3; })) << "the view stopped asking";
  EXPECT_EQ(kStatusNotFound, node.connect_status());
  std::vector<std::string> told;
  for (hosting::HostEvent e; events_->Pop(&e);)
    if (auto* missing = std::get_if<hosting::ChannelNotFound>(&e)) told.push_back(missing->name);
  EXPECT_EQ(std::vector<std::string>{"CAM-1"}, told) << "the user was told at each retry";
  world_->Execute("online CAM-1");
  ASSERT_TRUE(RunTicking(node, [&] { return media_.Count(net::kMediaVideoFrame) >= 3; }));
  EXPECT_EQ(kStatusClear, node.connect_status());
}

// Kept reconnecting, the user's Close ends the wait at once and nothing is tried after it.
TEST_F(NodeLink, CloseEndsKeptReconnectingAtOnce) {
  growing_waits_ = {60000, 60000, 60000, 60000, 60000};
  CNodeWindow& node = MakeNode(false, 60000, true);
  world_->Execute("restart CAM-1 30");
  node.SetAddress(Camera());
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return node.next_attempt_number() == 2; }));
  const uint64_t start = os::MonotonicMs();
  node.CloseCommand();
  EXPECT_TRUE(node.video_connect_done());
  EXPECT_LT(os::MonotonicMs() - start, 1000u);
  EXPECT_EQ(0u, node.next_attempt_ms());
}

// A closed link comes back without ending the recording. While the camera
// is unreachable the once-a-second statistics tick goes on, so the status
// line falls to 0 fps instead of keeping the last figures.
TEST_F(NodeLink, PeerCloseReconnectsAndTheStatisticsTickOnWhileTheCameraIsUnreachable) {
  CNodeWindow& node = MakeNode(false, 100);
  node.SetAddress(Camera());
  ASSERT_TRUE(Streaming(node));
  const size_t before = Logins();
  world_->Execute("fault CAM-1 close");
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return Logins() >= before + 2 && !node.camera_id().empty(); }));
  EXPECT_FALSE(node.no_retry());
  EXPECT_EQ(0, media_.recording_stops.load()) << "a link that comes back ended the recording";
  EXPECT_GE(media_.recording_interruptions.load(), 1);

  ASSERT_TRUE(pump_.TimerOn(kStatisticsTimer));
  world_->Execute("fault CAM-1 close");
  world_->Stop();
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return pump_.Count(kSelf, os::kWmNodeConnectStatus, kStatusCannotConnect) >= 1; }));
  EXPECT_TRUE(pump_.TimerOn(kStatisticsTimer)) << "the link closed and the statistics stopped with their last figures";
  const int ticks = media_.ticks.load();
  node.HandleMessage(os::kWmTimer, kStatisticsTimer, 0);
  EXPECT_EQ(media_.ticks.load(), ticks + 1);
}

// Between two attempts the connect thread holds the node's guard while it
// waits; destroying the node must end that wait first instead of waiting
// 30 s for the guard with the window's thread blocked.
TEST_F(NodeLink, DestroyingANodeWaitingToRetryIsQuick) {
  CNodeWindow& node = MakeNode(false, 60000);
  LoginInfo login = Camera();
  world_->Stop();
  node.SetAddress(login);
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return node.next_attempt_ms() != 0; }));
  const uint64_t now = os::MonotonicMs();
  EXPECT_GT(node.next_attempt_ms(), now + 50000) << "the next attempt is a minute away";
  EXPECT_LE(node.next_attempt_ms(), now + 60000);
  node_.reset();
  EXPECT_LT(os::MonotonicMs() - now, 5000u) << "destruction waited for the retry";
}

// A relayed view streams and steers its camera through the hosting server,
// and when the server stalls it asks for its channel again.
TEST_F(NodeLink, RelayCameraThroughTheHostingServer) {
  ASSERT_TRUE(HostLoggedIn());
  stall_ms_ = 500;
  CNodeWindow& node = MakeNode(true);
  node.OpenRelayCamera("CAM-1\n");
  ASSERT_TRUE(pump_.RunUntil(node, [&] {
    return media_.Count(net::kMediaVideoFrame) >= 3 && media_.Count(net::kMediaAudio) >= 2;
  }));
  EXPECT_EQ("CAM-1", node.Key());
  node.Control().PtzStep(20, 0);
  EXPECT_TRUE(Sent("hosting RequestPTZControl camera=CAM-1 pan=10 tilt=0"));

  const size_t setups = world_->log().Lines("hosting RequestChannelSetup kind=1").size();
  world_->Execute("fault hosting stall 1500");
  ASSERT_TRUE(RunTicking(node, [&] { return node.stalled_since() != 0; }));
  ForgetUnits();
  ASSERT_TRUE(RunTicking(node, [&] { return media_.Count(net::kMediaVideoFrame) >= 3; }));
  EXPECT_GT(world_->log().Lines("hosting RequestChannelSetup kind=1").size(), setups) << "the channel was not asked for again";
  EXPECT_NE(net::kChannelNotFound, node.channel(CNodeWindow::kVideo).id);
  EXPECT_EQ(0, node.stalled_since());
}

// A stored file that pauses is no stall: it ends with "End of File".
TEST_F(NodeLink, StoredFilePlaysSeeksAndEndsUnwatched) {
  ASSERT_TRUE(HostLoggedIn());
  stall_ms_ = 200;
  CNodeWindow& node = MakeNode(true);
  node.OpenRelayFile("CAM-1", "rec/one.mp4");
  ASSERT_TRUE(pump_.RunUntil(node, [&] { return node.node_parameters().words[1] > 0 && media_.Count(net::kMediaVideoFrame) > 0; }));
  const uint32_t length = node.node_parameters().words[1];
  ASSERT_GE(node.Control().Seek(90), 0);
  EXPECT_TRUE(Sent("hosting RequeststreamingReset channel=" + std::to_string(node.VideoChannelId()) +
                   " position=" + std::to_string(length * 90 / 100)));
  world_->Execute("fault hosting stall 1000");
  EXPECT_TRUE(RunTicking(node, [&] { return media_.SawEndOfFile(); }));
  EXPECT_EQ(0, node.stalled_since());
  EXPECT_EQ(0u, Events(EventKind::kStalled));
}

TEST_F(NodeLink, NoticeExpiresSixtySecondsAfterItsLastRepetition) {
  CNodeWindow& node = MakeNode(false);
  node.HandleMessage(os::kWmNodeNotice, 7, 0);
  EXPECT_TRUE(pump_.TimerOn(kNoticeTimer));
  for (int i = 0; i < 60; ++i) node.HandleMessage(os::kWmTimer, kNoticeTimer, 0);  // 30 s
  node.HandleMessage(os::kWmNodeNotice, 7, 0);  // repeated: the 60 s start again
  for (int i = 0; i < 119; ++i) node.HandleMessage(os::kWmTimer, kNoticeTimer, 0);
  pump_.Deliver(node);
  EXPECT_EQ(0, pump_.Count(kMain, os::kWmNodeNoticeEnd, -1, 7));
  node.HandleMessage(os::kWmTimer, kNoticeTimer, 0);
  pump_.Deliver(node);
  EXPECT_EQ(1, pump_.Count(kMain, os::kWmNodeNoticeEnd, -1, 7));
  EXPECT_FALSE(pump_.TimerOn(kNoticeTimer));
  EXPECT_EQ(2, pump_.Count(kMain, os::kWmNodeNotice)) << "each notice is forwarded to the main window";
}

// The connect threads hang in a dynamic-IP look-up whose server never
// answers (it would give up only after its own 20 s). Closing the node on
// the window's thread abandons both look-ups at once, and a new address set
// then is tried at once.
TEST_F(NodeLink, CloseAbandonsAHangingDynamicIpLookup) {
  os::Event release(os::Event::Reset::kManual);
  net::testing::LoopbackServer silent([&](os::SocketHandle) { release.Wait(30000); }, 2);
  LogCapture log;
  CNodeWindow& node = MakeNode(false);
  node.SetAddress({"127.0.0.1", silent.port(), true, "gate", "demo", "demo"});
  pump_.RunUntil(node, [&] { return !node.video_connect_done(); }, 2000);
  node.HandleMessage(os::kWmNodeStartAudio, 0, 0);
  os::SleepMs(300);  // both threads are inside the look-up now

  const uint64_t start = os::MonotonicMs();
  node.CloseCommand();
  EXPECT_LT(os::MonotonicMs() - start, 1000u) << "the close waited for the look-up";
  EXPECT_FALSE(log.Mentions("connect thread still running after"));
  LoginInfo camera = Camera();
  camera.password = "wrong";
  node.SetAddress(camera);
  EXPECT_TRUE(pump_.RunUntil(node, [&] { return node.connect_status() == kStatusLoginRefused; }, 5000))
      << "the new address was never tried";
  release.Set();
}

// Every camera drops every packet: sixteen views and the hosting client are
// connecting when they close, as at exit. The window's thread must get on at
// once (the target is a second; the bound here is generous, the figure printed).
TEST(ViewWalls, ClosingWhileEveryCameraDropsEveryPacketIsQuick) {
  os::testing::Blackhole hole;
  if (!hole.ok()) GTEST_SKIP() << "this system answers connection requests past a full queue";
  Pump pump;
  hosting::HostEventQueue events(pump, kMain);
  auto hosting = std::make_unique<hosting::HostingService>(events, pump);
  hosting->Start();
  std::vector<std::unique_ptr<FakeMedia>> media;
  std::vector<std::unique_ptr<CNodeWindow>> views;
  std::vector<CNodeWindow*> nodes;
  for (int i = 0; i < 16; ++i) {
    media.push_back(std::make_unique<FakeMedia>());
    views.push_back(std::make_unique<CNodeWindow>(
        Context(*hosting, events, pump, 1000 + static_cast<os::WindowHandle>(i), i, "View " + std::to_string(i)),
        media.back().get()));
    nodes.push_back(views.back().get());
    hosting->AddNode(nodes.back());
    views.back()->SetAddress({"127.0.0.1", hole.port(), false, "", "demo", "demo"});
  }
  pump.Deliver(nodes);
  hosting->Connect({"127.0.0.1", hole.port(), "demo", "demo"});
  for (CNodeWindow* view : nodes) ASSERT_FALSE(view->video_connect_done());
  os::SleepMs(300);  // every connect is under way
  const uint64_t start = os::MonotonicMs();
  views.clear();  // every view closes, as their windows do at exit
  hosting.reset();
  const uint64_t took = os::MonotonicMs() - start;
  std::printf("closing 16 views and the hosting client, every camera unreachable: %llu ms\n",
              static_cast<unsigned long long>(took));
  EXPECT_LT(took, 5000u) << "closing waited for the connects";
}

}  // namespace
}  // namespace node
