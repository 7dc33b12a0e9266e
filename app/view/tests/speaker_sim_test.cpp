// The speaker sender against halyard-sim: two direct nodes on two cameras,
// one newer than 1.0.0 (long MediaData form) and one of 1.0.0 (short form);
// every encoded block reaches both cameras in its camera's form.
#include <gtest/gtest.h>

#include <memory>

#include "app/program_core.h"
#include "app/view/node_speaker_links.h"
#include "hosting/hosting_service.h"
#include "hosting/tests/fakes.h"
#include "node/link/node_window.h"
#include "node/link/tests/link_fixture.h"
#include "present/speaker_sender.h"
#include "world.h"

namespace app::view {
namespace {

using namespace present;

using hosting::testing::Eventually;
using hosting::testing::FakeMessages;
using node::testing::FakeMedia;
using node::testing::kMain;
using node::testing::kParent;
using node::testing::Pump;

class SpeakerToCameras : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::WorldConfig config;
    config.media_dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
    std::string error;
    ASSERT_TRUE(sim::ParseWorldOptions({"--hosting-port", "0", "--ddns-port", "0", "--user", "demo:demo", "--camera",
                                        "CAM-NEW:0:test_176x144.m4v:voice:1.1.7", "--camera",
                                        "CAM-OLD:0:test_176x144.m4v:voice:1.0.0"},
                                       &config, &error))
        << error;
    world_ = std::make_unique<sim::World>(config);
    ASSERT_TRUE(world_->Start(&error)) << error;
    core_.MakeHosting(kMain).Start();
  }
  void TearDown() override {
    for (auto& n : nodes_) {
      core_.hosting().RemoveNode(n.get());
      n->Destroy();
    }
    nodes_.clear();
    core_.StopHosting();
    world_->Stop();
  }

  node::CNodeWindow& Connect(const std::string& camera) {
    NodeSeat seat;
    seat.poster = &pump_;
    seat.timers = &pump_;
    seat.messages = &messages_;
    seat.self = 100 + nodes_.size();
    seat.parent = kParent;
    seat.main_window = kMain;
    seat.index = int(nodes_.size());
    seat.display_name = camera;
    nodes_.push_back(std::make_unique<node::CNodeWindow>(core_.NodeContextFor(seat), &media_));
    node::CNodeWindow& n = *nodes_.back();
    core_.hosting().AddNode(&n);
    n.SetAddress({"127.0.0.1", world_->camera(camera)->port(), false, "", "demo", "demo"});
    return n;
  }
  bool RunUntil(const std::function<bool()>& done, int timeout_ms = 10000) {
    std::vector<node::CNodeWindow*> all;
    for (auto& n : nodes_) all.push_back(n.get());
    return Eventually(
        [&] {
          pump_.Deliver(all);
          return done();
        },
        timeout_ms);
  }
  static bool SpeakerReady(node::CNodeWindow& n) {
    const node::ChannelEntry speaker = n.channel(node::CNodeWindow::kSpeaker);
    return n.audio_link_ready() && speaker.id != net::kChannelNotFound && speaker.active;
  }

  Pump pump_;
  FakeMessages messages_;
  FakeMedia media_;
  std::unique_ptr<sim::World> world_;
  ProgramCore core_{pump_, {}};
  std::vector<std::unique_ptr<node::CNodeWindow>> nodes_;
};

TEST_F(SpeakerToCameras, EachCameraGetsEveryBlockInTheFormItsVersionAsksFor) {
  node::CNodeWindow& newer = Connect("CAM-NEW");
  node::CNodeWindow& older = Connect("CAM-OLD");
  ASSERT_TRUE(RunUntil([&] { return SpeakerReady(newer) && SpeakerReady(older); })) << "speaker channels open";

  // A node learns its camera's version from the camera's answer to a setup
  // record; give the older camera's node its version that way.
  net::CameraSetupInfo info = older.setup_info();
  info.SetVersion(1, 0, 0);
  ASSERT_LT(0, older.Control().SendCameraSetupInfo(info));
  ASSERT_TRUE(RunUntil([&] { return older.setup_info().Version() == net::CameraVersion(1, 0, 0); }));
  ASSERT_EQ(net::CameraVersion(1, 1, 7), newer.setup_info().Version());

  SpeakerQueue queue;
  NodeSpeakerLinks links(core_.hosting());
  SpeakerSender sender(queue, links);
  sender.Start();
  std::vector<uint8_t> sent;
  for (int block = 0; block < 5; ++block) {
    std::vector<uint8_t> bytes(192);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(block * 31 + int(i));
    queue.Push(bytes.data(), 192, uint64_t(block));
    sent.insert(sent.end(), bytes.begin(), bytes.end());
  }
  sim::CameraServer* camNew = world_->camera("CAM-NEW");
  sim::CameraServer* camOld = world_->camera("CAM-OLD");
  ASSERT_TRUE(RunUntil([&] {
    return camNew->SpeakerAudio().size() >= sent.size() && camOld->SpeakerAudio().size() >= sent.size();
  })) << "received " << camNew->SpeakerAudio().size() << " and " << camOld->SpeakerAudio().size() << " bytes";
  sender.Stop();

  EXPECT_EQ(sent, camNew->SpeakerAudio());
  EXPECT_EQ(sent, camOld->SpeakerAudio());
  EXPECT_EQ(5, camNew->SpeakerUnits().long_form);
  EXPECT_EQ(0, camNew->SpeakerUnits().short_form);
  EXPECT_EQ(0, camOld->SpeakerUnits().long_form);
  EXPECT_EQ(5, camOld->SpeakerUnits().short_form);

  // Speaker switched off on one node: only the other camera hears more.
  older.ToggleSpeaker();
  ASSERT_TRUE(RunUntil([&] { return !older.channel(node::CNodeWindow::kSpeaker).active; }));
  uint8_t more[192] = {};
  queue.Push(more, 192, 9);
  ASSERT_TRUE(sender.SendOne());
  ASSERT_TRUE(RunUntil([&] { return camNew->SpeakerUnits().long_form == 6; }));
  EXPECT_EQ(5, camOld->SpeakerUnits().short_form);
}

}  // namespace
}  // namespace app::view
