// The simulator against a client built from net/: logins, lists, channels,
// paced media, stored-file playback, setup records, speaker audio, injected
// faults, and the coder of its made-up scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "net/byte_order.h"
#include "net/camera_setup_info.h"
#include "net/channel_messages.h"
#include "net/control_messages.h"
#include "net/list_records.h"
#include "net/login_messages.h"
#include "scene_encoder.h"
#include "scenes.h"
#include "test_client.h"
#include "world.h"

namespace sim {
namespace {

using testing::Received;
using testing::TestClient;

const char* MediaDir() {
  static std::string dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
  return dir.c_str();
}

class SimWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    WorldConfig config;
    config.media_dir = MediaDir();
    std::string error;
    ASSERT_TRUE(ParseWorldOptions({"--hosting-port", "0", "--ddns-port", "0", "--user", "demo:demo",
                                   "--camera", "CAM-1:0:test_320x240.m4v:speech_8k.wav",
                                   "--camera", "CAM-OLD:0:test_176x144.m4v:voice:1.0.0",
                                   "--file", "rec/CAM-1_0001.mp4:CAM-1:test_176x144.m4v:voice",
                                   "--ddns-name", "gate:CAM-1"},
                                  &config, &error))
        << error;
    world_ = std::make_unique<World>(config);
    ASSERT_TRUE(world_->Start(&error)) << error;
  }
  void TearDown() override { world_->Stop(); }

  uint16_t HostingPort() { return world_->hosting()->port(); }
  uint16_t CameraPort(const char* id) { return world_->camera(id)->port(); }

  static bool Login(TestClient& c, const char* user = "demo", const char* password = "demo") {
    auto body = net::EncodeLoginRequest(user, password);
    Received r;
    return c.Send(net::kRequestUserLogin, body) && c.WaitFor(net::kReplyUserLogin, &r) &&
           net::DecodeLoginReply(r.body.data(), static_cast<uint32_t>(r.body.size())) == net::kLoginAccepted;
  }
  static bool LoggedIn(TestClient& c, uint16_t port) { return c.Connect(port) && Login(c); }
  static uint32_t SetUpChannel(TestClient& c, uint32_t kind, const std::string& camera, const std::string& file = "") {
    auto body = net::EncodeChannelSetup(net::MakeChannelSetupRequest(kind, camera, file));
    Received r;
    net::ChannelSetupRecord reply;
    if (!c.Send(net::kRequestChannelSetup, body) || !c.WaitFor(net::kReplyChannelSetup, &r) ||
        !net::DecodeChannelSetup(r.body.data(), static_cast<uint32_t>(r.body.size()), &reply))
      return 0;
    return reply.channel_id;
  }
  static void Command(TestClient& c, uint32_t channel, uint32_t command) {
    c.Send(net::kRequestChannelCommand, net::EncodeChannelCommand(channel, command));
  }

  std::unique_ptr<World> world_;
};

TEST_F(SimWorld, HostingLoginListsCamerasAndFiles) {
  TestClient c;
  ASSERT_TRUE(LoggedIn(c, HostingPort()));
  Received r;
  ASSERT_TRUE(c.Send(net::kRequestOnlineCameraList, nullptr, 0));
  ASSERT_TRUE(c.WaitFor(net::kReplyCameraList, &r));
  auto cams = net::DecodeCameraList(r.body.data(), static_cast<uint32_t>(r.body.size()));
  ASSERT_EQ(2u, cams.size());
  EXPECT_EQ("CAM-1", cams[0].camera_id);
  EXPECT_EQ(CameraPort("CAM-1"), cams[0].port);
  ASSERT_TRUE(c.Send(net::kRequestFileList, net::EncodeFileListRequest()));
  ASSERT_TRUE(c.WaitFor(net::kReplyFileList, &r));
  auto files = net::DecodeFileList(r.body.data(), static_cast<uint32_t>(r.body.size()));
  ASSERT_EQ(1u, files.size());
  EXPECT_EQ("rec/CAM-1_0001.mp4", files[0].file_name);
  EXPECT_EQ(2026, files[0].start.year);
  EXPECT_EQ(1u, world_->log().Lines("hosting RequestUserLogin user=demo").size());
  EXPECT_TRUE(world_->log().Lines("demo:demo").empty()) << "passwords are never recorded";
}

TEST_F(SimWorld, RefusedLoginsAndTheFaultSwitch) {
  TestClient a;
  ASSERT_TRUE(a.Connect(HostingPort()));
  EXPECT_FALSE(Login(a, "demo", "wrong"));
  EXPECT_EQ("ok", world_->Execute("fault CAM-1 refuse-login").back());
  TestClient b;
  ASSERT_TRUE(b.Connect(CameraPort("CAM-1")));
  EXPECT_FALSE(Login(b));
  world_->Execute("fault CAM-1 accept-login");
  TestClient d;
  ASSERT_TRUE(d.Connect(CameraPort("CAM-1")));
  EXPECT_TRUE(Login(d));
}

TEST_F(SimWorld, RelayedCameraSendsConfigurationThenPacedPictures) {
  TestClient c;
  ASSERT_TRUE(LoggedIn(c, HostingPort()));
  EXPECT_EQ(net::kChannelNotFound, SetUpChannel(c, net::kChannelVideo, "NO-SUCH-CAM"));
  uint32_t video = SetUpChannel(c, net::kChannelVideo, "CAM-1\n");
  ASSERT_NE(0u, video);
  ASSERT_NE(net::kChannelNotFound, video);
  Command(c, video, net::kCommandStart);
  auto configs = c.Media(net::kMediaVideoConfig, 1);
  ASSERT_EQ(1u, configs.size());
  EXPECT_EQ(video, configs[0].media.channel_id);
  EXPECT_EQ(world_->camera("CAM-1")->video().config, configs[0].payload);
  auto pictures = c.Media(net::kMediaVideoFrame, 12);
  ASSERT_EQ(12u, pictures.size());
  EXPECT_EQ(0x000001B6u, net::GetBE32(pictures[0].payload.data()));
  // 25 frames per second: eleven gaps of 40 ms, well above the time a burst would take.
  EXPECT_GE(pictures.back().arrived_ms - pictures.front().arrived_ms, 300u);
  EXPECT_GE(pictures.back().media.timestamp_ms, pictures.front().media.timestamp_ms + 300);
  EXPECT_GT(pictures[0].media.timestamp_ms, 1700000000000ull) << "live timestamps are wall-clock milliseconds";
}

TEST_F(SimWorld, DirectCamerasIdentifyThemselvesAndStreamInTheirVersionsForm) {
  TestClient v;
  ASSERT_TRUE(LoggedIn(v, CameraPort("CAM-1")));
  Received r;
  ASSERT_TRUE(v.Send(net::kRequestCameraInfo, net::EncodeCameraInfoRequest()));
  ASSERT_TRUE(v.WaitFor(net::kCameraInfoReply, &r));
  EXPECT_EQ("CAM-1", net::GetText(r.body.data(), r.body.size()));

  TestClient a;
  ASSERT_TRUE(LoggedIn(a, CameraPort("CAM-1")));
  uint32_t audio = SetUpChannel(a, net::kChannelAudio, "CAM-1");
  ASSERT_NE(net::kChannelNotFound, audio);
  Command(a, audio, net::kCommandStart);
  auto units = a.Media(net::kMediaAudio, 5);
  ASSERT_EQ(5u, units.size());
  for (const auto& u : units) {
    EXPECT_EQ(192u, u.payload.size());
    EXPECT_EQ(24u, u.body.size()) << "camera version 1.1.7 sends the long form";
  }

  TestClient old;
  ASSERT_TRUE(LoggedIn(old, CameraPort("CAM-OLD")));
  Command(old, SetUpChannel(old, net::kChannelVideo, "CAM-OLD"), net::kCommandStart);
  units = old.Media(net::kMediaVideoFrame, 2);
  ASSERT_EQ(2u, units.size());
  EXPECT_EQ(16u, units[0].body.size()) << "camera version 1.0.0 sends the short form";
}

TEST_F(SimWorld, StoredFilePlaysSeeksAndEnds) {
  TestClient c;
  ASSERT_TRUE(LoggedIn(c, HostingPort()));
  EXPECT_EQ(net::kChannelNotFound, SetUpChannel(c, net::kChannelFileVideo, "CAM-1", "no/such.mp4"));
  uint32_t video = SetUpChannel(c, net::kChannelFileVideo, "CAM-1", "rec/CAM-1_0001.mp4");
  ASSERT_NE(net::kChannelNotFound, video);
  Received r;
  ASSERT_TRUE(c.WaitFor(net::kNodeParameters, &r));
  net::NodeParameters params;
  ASSERT_TRUE(net::DecodeNodeParameters(r.body.data(), static_cast<uint32_t>(r.body.size()), &params));
  EXPECT_EQ(video, params.channel_id());
  EXPECT_EQ(6000u, params.words[1]) << "file length in milliseconds";

  ASSERT_TRUE(c.Send(net::kRequestFilePlay, net::EncodeFilePlay(-1, "rec/CAM-1_0001.mp4")));
  Command(c, video, net::kCommandStart);
  auto first = c.Media(net::kMediaVideoFrame, 2);
  ASSERT_EQ(2u, first.size());
  EXPECT_LT(first[0].media.timestamp_ms, 200u) << "playback timestamps count from the file's start";

  ASSERT_TRUE(c.Send(net::kRequestStreamingReset, net::EncodeStreamingReset(video, 5400)));
  // After the seek, frames carry positions from 5400 on and the file ends within a second.
  bool seen_seek = false, ended = false;
  uint64_t deadline = os::MonotonicMs() + 5000;
  while (!ended && os::MonotonicMs() < deadline) {
    if (!c.WaitFor(net::kMediaData, &r, 1000)) continue;
    if (r.media.kind != net::kMediaVideoFrame) continue;
    if (r.media.timestamp_ms == net::kEndOfFileTimestamp)
      ended = true;
    else if (r.media.timestamp_ms >= 5400)
      seen_seek = true;
  }
  EXPECT_TRUE(seen_seek);
  EXPECT_TRUE(ended) << "stored playback ends with the end-of-file mark";
}

TEST_F(SimWorld, SetupInfoIsKeptAndSpeakerAudioSaved) {
  TestClient v;
  ASSERT_TRUE(LoggedIn(v, CameraPort("CAM-1")));
  net::CameraSetupInfo info = net::CameraSetupInfo::Defaults();
  info.SetPreset(0, {"door", 1, 2, 3, 4, true});
  info.SetPresetCount(1);
  v.Send(net::kRequestCameraSetupInfo, info.data(), info.SendLength());
  Received r;
  ASSERT_TRUE(v.WaitFor(net::kReplyCameraSetupInfo, &r));
  net::CameraSetupReply reply;
  net::CameraSetupInfo back;
  ASSERT_TRUE(net::DecodeCameraSetupReply(r.body.data(), static_cast<uint32_t>(r.body.size()), &reply, &back));
  EXPECT_TRUE(reply.ok());
  EXPECT_EQ("door", back.Preset(0).name);

  uint32_t speaker = SetUpChannel(v, net::kChannelSpeaker, "CAM-1");
  ASSERT_NE(net::kChannelNotFound, speaker);
  net::MediaData m;
  m.channel_id = speaker;
  m.kind = net::kMediaAudio;
  m.payload_length = 192;
  uint8_t fixed[24];
  uint32_t fixed_length = net::EncodeMediaFixed(m, true, fixed);
  std::vector<uint8_t> payload(192, 0x5A);
  ASSERT_GT(v.channel().QueueMedia(fixed, fixed_length, payload.data(), 192), 0);
  while (v.channel().pending()) v.channel().SendPending();
  uint64_t deadline = os::MonotonicMs() + 3000;
  while (world_->camera("CAM-1")->SpeakerAudio().size() < 192 && os::MonotonicMs() < deadline) os::SleepMs(10);
  EXPECT_EQ(payload, world_->camera("CAM-1")->SpeakerAudio());
}

TEST_F(SimWorld, InjectedFaultsReachTheClient) {
  {
    TestClient c;
    ASSERT_TRUE(LoggedIn(c, HostingPort()));
    EXPECT_EQ("ok", world_->Execute("fault hosting oversized").back());
    Received r;
    EXPECT_FALSE(c.WaitFor(net::kReplyCameraList, &r, 2000));
    EXPECT_TRUE(c.invalid()) << "an oversized header must be refused by the reassembly";
  }
  {
    TestClient c;
    ASSERT_TRUE(LoggedIn(c, HostingPort()));
    world_->Execute("keepalive hosting");
    Received r;
    ASSERT_TRUE(c.WaitFor(net::kKeepAlive, &r));
    ASSERT_TRUE(c.Send(net::kKeepAlive, nullptr, 0));
    EXPECT_FALSE(c.WaitFor(net::kKeepAlive, &r, 300)) << "the answer to the server's own keep-alive was answered";
    ASSERT_TRUE(c.Send(net::kKeepAlive, nullptr, 0));
    EXPECT_TRUE(c.WaitFor(net::kKeepAlive, &r)) << "the client's keep-alive was not answered";
    EXPECT_EQ("ok", world_->Execute("fault hosting silent").back());
    ASSERT_TRUE(c.Send(net::kKeepAlive, nullptr, 0));
    EXPECT_FALSE(c.WaitFor(0, &r, 500)) << "a silent server answered";
    EXPECT_FALSE(c.closed());
    TestClient d;
    ASSERT_TRUE(d.Connect(HostingPort()));
    EXPECT_TRUE(Login(d)) << "a new connection is silent too";
  }
  {
    TestClient c;
    ASSERT_TRUE(LoggedIn(c, CameraPort("CAM-1")));
    world_->Execute("fault CAM-1 close");
    Received r;
    EXPECT_FALSE(c.WaitFor(net::kReplyCameraList, &r, 2000));
    EXPECT_TRUE(c.closed());
  }
  {
    world_->Execute("fault hosting drop 16");
    TestClient c;
    ASSERT_TRUE(c.Connect(HostingPort()));
    EXPECT_FALSE(Login(c)) << "the login reply was dropped";
    TestClient d;
    ASSERT_TRUE(d.Connect(HostingPort()));
    EXPECT_TRUE(Login(d)) << "only one reply is dropped";
  }
  {
    TestClient c;
    ASSERT_TRUE(LoggedIn(c, CameraPort("CAM-1")));
    EXPECT_EQ("ok", world_->Execute("notice CAM-1 7").back());
    Received r;
    ASSERT_TRUE(c.WaitFor(net::kEventNotice, &r));
    EXPECT_EQ(7u, net::GetBE32(r.body.data()));
  }
}

TEST_F(SimWorld, CameraOfflineIsAnnouncedRefusesConnectionsAndIsNoLongerRelayed) {
  TestClient c;
  ASSERT_TRUE(LoggedIn(c, HostingPort()));
  const uint32_t relayed = SetUpChannel(c, net::kChannelVideo, "CAM-1");
  Command(c, relayed, net::kCommandStart);
  ASSERT_EQ(1u, c.Media(net::kMediaVideoFrame, 1).size());
  world_->Execute("offline CAM-1");
  Received r;
  ASSERT_TRUE(c.WaitFor(net::kReplyOnlineCameraUpdate, &r));
  c.ForgetReceived();  // sent before the announcement
  EXPECT_TRUE(c.Media(net::kMediaVideoFrame, 1, 500).empty()) << "the hosting server relays a camera gone offline";
  uint32_t code = 0;
  net::CameraRecord record;
  ASSERT_TRUE(net::DecodeCameraUpdate(r.body.data(), static_cast<uint32_t>(r.body.size()), &code, &record));
  EXPECT_EQ(1u, code);
  EXPECT_EQ("CAM-1", record.camera_id);
  TestClient v;
  ASSERT_TRUE(v.Connect(CameraPort("CAM-1")));
  EXPECT_FALSE(Login(v));
  EXPECT_EQ(net::kChannelNotFound, SetUpChannel(c, net::kChannelVideo, "CAM-1"));
}

TEST_F(SimWorld, RestartDropsEveryConnectionRefusesNewOnesAndListensAgainOnItsPort) {
  const uint16_t port = HostingPort();
  TestClient a;
  ASSERT_TRUE(LoggedIn(a, port));
  ASSERT_EQ("ok", world_->Execute("restart hosting 1.5").back());
  Received r;
  a.WaitFor(net::kKeepAlive, &r, 1000);
  EXPECT_TRUE(a.closed()) << "a restart closes the connections it had";
  TestClient refused;
  EXPECT_FALSE(refused.Connect(port)) << "while restarting the server refuses connections";
  EXPECT_FALSE(world_->hosting()->listener().listening());
  TestClient b;
  const uint64_t start = os::MonotonicMs();
  while (!b.Connect(port) && os::MonotonicMs() - start < 5000) os::SleepMs(50);
  ASSERT_TRUE(b.channel().IsOpen()) << "the server listens again on port " << port;
  ASSERT_TRUE(Login(b));
  EXPECT_EQ(port, HostingPort());

  // 0 seconds: at once; a camera restarts the same way.
  TestClient c;
  ASSERT_TRUE(LoggedIn(c, CameraPort("CAM-1")));
  ASSERT_EQ("ok", world_->Execute("restart CAM-1 0").back());
  c.WaitFor(net::kKeepAlive, &r, 1000);
  EXPECT_TRUE(c.closed());
  TestClient d;
  const uint64_t again = os::MonotonicMs();
  while (!d.Connect(CameraPort("CAM-1")) && os::MonotonicMs() - again < 2000) os::SleepMs(20);
  ASSERT_TRUE(d.channel().IsOpen());
  EXPECT_TRUE(Login(d));

  // A restart while one waits replaces it; Stop ends the wait.
  EXPECT_EQ("ok", world_->Execute("restart CAM-1 60").back());
  EXPECT_EQ("ok", world_->Execute("restart CAM-1 30").back());
  EXPECT_EQ("error: no such target CAM-9", world_->Execute("restart CAM-9 1").back());
  EXPECT_EQ(0u, world_->Execute("restart hosting soon").back().rfind("error:", 0));
  const uint64_t stop = os::MonotonicMs();
  world_->Stop();
  EXPECT_LT(os::MonotonicMs() - stop, 2000u) << "Stop does not wait out a restart's delay";
}

TEST_F(SimWorld, StopClosesEveryConnection) {
  TestClient a, b;
  ASSERT_TRUE(LoggedIn(a, HostingPort()));
  ASSERT_TRUE(LoggedIn(b, CameraPort("CAM-1")));
  uint32_t video = SetUpChannel(b, net::kChannelVideo, "CAM-1");
  Command(b, video, net::kCommandStart);
  ASSERT_EQ(1u, b.Media(net::kMediaVideoFrame, 1).size());
  world_->Stop();
  EXPECT_EQ(0, world_->hosting()->listener().OpenCount());
  Received r;
  a.WaitFor(net::kKeepAlive, &r, 1000);
  EXPECT_TRUE(a.closed());
}

TEST(SimOptions, BadOptionsAreRefusedWithAReason) {
  WorldConfig config;
  std::string error;
  EXPECT_FALSE(ParseWorldOptions({"--camera", "CAM:99999:x.m4v"}, &config, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ParseWorldOptions({"--hosting-port"}, &config, &error));
  EXPECT_FALSE(ParseWorldOptions({"--bogus", "1"}, &config, &error));
  World world(config);
  WorldConfig missing;
  ASSERT_TRUE(ParseWorldOptions({"--camera", "CAM:0:/no/such/file.m4v"}, &missing, &error));
  World bad(missing);
  EXPECT_FALSE(bad.Start(&error));
  EXPECT_NE(std::string::npos, error.find("/no/such/file.m4v"));
}

// The scenes' own coder: every picture of a stretch with a person walking
// decodes, with the project's decoder, close to what was drawn (an error in
// the coder's prediction or syntax shows as garbage that grows picture by
// picture), and the predicted pictures are smaller than the intra ones.
TEST(Scenes, CodedPicturesDecodeCloseToWhatWasDrawn) {
  std::unique_ptr<Scene> scene = Scene::Make("walk-near", 320, 240);
  ASSERT_TRUE(scene);
  SceneEncoder encoder(320, 240, Scene::kFps, 10, Scene::kFps);
  ASSERT_TRUE(encoder.ok());
  codec::VideoDecoder decoder;
  ASSERT_NE(codec::kDecodeFatal, decoder.Decode(encoder.config().data(), encoder.config().size()));
  std::vector<uint8_t> drawn(320 * 240 * 3 / 2), shown(drawn.size());
  size_t intraBytes = 0, predictedBytes = 0;
  for (int i = 11 * Scene::kFps; i < 13 * Scene::kFps; ++i) {  // the first crossing, two intra pictures
    scene->Draw(i, drawn.data());
    const std::vector<uint8_t> unit = encoder.Encode(drawn.data());
    (i % Scene::kFps == 0 ? intraBytes : predictedBytes) += unit.size();
    ASSERT_NE(codec::kDecodeFatal, decoder.Decode(unit.data(), unit.size())) << "picture " << i;
    ASSERT_EQ(0, decoder.ProducePicture({shown.data(), 320, 240}));
    double squared = 0;
    for (size_t k = 0; k < 320 * 240; ++k) squared += (drawn[k] - shown[k]) * (drawn[k] - shown[k]);
    const double psnr = 10 * std::log10(255.0 * 255.0 / std::max(squared / (320 * 240), 1e-9));
    EXPECT_GT(psnr, 30.0) << "picture " << i;
  }
  EXPECT_LT(predictedBytes / (2 * Scene::kFps - 2), intraBytes / 2) << "predicted pictures no smaller than intra ones";
}

}  // namespace
}  // namespace sim
