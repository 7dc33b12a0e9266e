// CameraControl: its own rules on a fake link (which cameras zoom to a
// rectangle; without a hosting client nothing is sent or awaited), then the
// requests on the wire to halyard-sim's camera through a node, and the waits
// for the camera's replies. What a drag in the picture means is the view's
// arithmetic, tested with it.
#include <gtest/gtest.h>

#include "node/link/camera_control.h"
#include "node/link/tests/link_fixture.h"
#include "os/clock.h"

namespace node {
namespace {

class FakeLink : public ControlLink {
 public:
  std::string camera_id() const override { return "CAM-1"; }
  hosting::RequestTarget ControlChannel() override { return hosting::RequestTarget::Host(); }
  net::CameraSetupInfo setup_info() const override { return info; }
  uint32_t FileVideoChannel() const override { return 7; }
  net::NodeParameters node_parameters() const override { return {}; }

  // The record's first two pan/tilt device codes.
  void SetDevices(uint32_t first, uint32_t second) {
    for (int i = 0; i < 4; ++i) {
      info.data()[1072 + i] = static_cast<uint8_t>(first >> (8 * i));
      info.data()[1076 + i] = static_cast<uint8_t>(second >> (8 * i));
    }
  }
  net::CameraSetupInfo info = net::CameraSetupInfo::Defaults();
};

TEST(CameraControlRules, OnlyCamerasThatZoomToARectangleGetOne) {
  FakeLink link;
  CameraControl direct(nullptr, false, link), relay(nullptr, true, link);
  link.info.SetVersion(1, 1, 8);
  for (uint32_t code : {0u, 9u, 14u, 21u, 22u}) {
    link.SetDevices(code, 5);
    EXPECT_TRUE(direct.ZoomsToRectangle()) << "first device " << code;
    link.SetDevices(5, code);
    EXPECT_TRUE(direct.ZoomsToRectangle()) << "second device " << code;
  }
  EXPECT_FALSE(relay.ZoomsToRectangle()) << "the hosting server relays no rectangles";
  link.SetDevices(5, 7);
  EXPECT_FALSE(direct.ZoomsToRectangle()) << "neither device zooms to a rectangle";
  link.SetDevices(0, 0);
  link.info.SetVersion(1, 1, 7);
  EXPECT_FALSE(direct.ZoomsToRectangle()) << "cameras before 1.1.8 know no rectangles";
}

TEST(CameraControlRules, WithoutAHostingClientNothingIsSentOrAwaited) {
  FakeLink link;
  CameraControl control(nullptr, false, link);
  const uint64_t start = os::MonotonicMs();
  net::PtzPosition position;
  EXPECT_FALSE(control.QueryPtzPosition(&position));
  EXPECT_FALSE(control.EnablePresetEditing());
  EXPECT_LT(os::MonotonicMs() - start, 1000u) << "waited for a reply to a request never sent";
  EXPECT_FALSE(control.SetQuality(8));
  EXPECT_FALSE(control.SetVideoInput(1));
  EXPECT_EQ(0u, control.quality()) << "the menu would check a quality the camera never got";
  EXPECT_EQ(0u, control.video_input());
  EXPECT_FALSE(control.Reboot());
  EXPECT_FALSE(control.SetPtzPosition({1, 2, 3}));
  EXPECT_EQ(-1, control.SendCameraSetupInfo(link.info));
  EXPECT_EQ(-1, control.Seek(50));
}

// A node on halyard-sim's camera, whose control sends the requests.
class CameraControlOnALink : public testing::NodeLink {};
using hosting::testing::Eventually;

TEST_F(CameraControlOnALink, ControlRequestsReachTheCameraWithTheirValues) {
  CNodeWindow& node = MakeNode(false);
  CameraControl& control = node.Control();
  node.SetAddress(Camera());
  ASSERT_TRUE(Streaming(node));
  // A camera of version 1.1.8 with pan/tilt device code 0 takes rectangles.
  net::CameraSetupInfo info = node.setup_info();
  info.SetVersion(1, 1, 8);
  ASSERT_GE(control.SendCameraSetupInfo(info), 0);
  ASSERT_TRUE(Eventually([&] { return node.setup_info().Version() == net::CameraVersion(1, 1, 8); }));
  ASSERT_TRUE(control.ZoomsToRectangle());
  control.PtzStep(0, 1);
  control.ZoomToRectangle(100, 100, 130, 130);
  control.ZoomToRectangle(200, 150, 200, 150);
  EXPECT_TRUE(Sent("CAM-1 RequestPTZControl pan=0 tilt=-1")) << "the camera's tilt runs the other way";
  EXPECT_TRUE(Sent("CAM-1 AdvancedPTZControl x1=100 y1=100 x2=130 y2=130"));
  EXPECT_TRUE(Sent("CAM-1 AdvancedPTZControl x1=200 y1=150 x2=200 y2=150"));
  EXPECT_TRUE(control.PresetGoto(39));
  EXPECT_FALSE(control.PresetGoto(40));
  EXPECT_FALSE(control.GroupRun(16));
  control.SetQuality(8);
  control.SetVideoInput(1);  // external
  control.Lens(1, 15);
  EXPECT_TRUE(Sent("CAM-1 RequestPresetCommand command=2 number=38 v2=0 v3=0"));
  EXPECT_EQ(1u, world_->log().Lines("RequestPresetCommand").size());
  EXPECT_TRUE(Sent("CAM-1 RequestQuality value=8"));
  EXPECT_TRUE(Sent("CAM-1 RequestVideoInput value=1"));
  EXPECT_TRUE(Sent("CAM-1 RequestLensControl operation=1 speed=10"));
  EXPECT_EQ(8u, control.quality());

  ASSERT_TRUE(control.SetPtzPosition({12, -3, 4}));
  net::PtzPosition position;
  ASSERT_TRUE(control.QueryPtzPosition(&position));
  EXPECT_EQ(12, position.pan);
  EXPECT_EQ(-3, position.tilt);
  EXPECT_TRUE(control.EnablePresetEditing());
  world_->Execute("fault CAM-1 drop 70");
  EXPECT_FALSE(control.EnablePresetEditing()) << "no acknowledgement within 5000 ms";
}

// A reply that comes after its query gave up belongs to that query, not to
// the next one.
TEST_F(CameraControlOnALink, LatePositionReplyDoesNotAnswerTheNextQuery) {
  CNodeWindow& node = MakeNode(false);
  CameraControl& control = node.Control();
  node.SetAddress(Camera());
  ASSERT_TRUE(Streaming(node));
  ASSERT_TRUE(control.SetPtzPosition({1, 2, 3}));
  ASSERT_TRUE(Sent("CAM-1 SetPtzPosition"));
  world_->Execute("fault CAM-1 delay 66 6000");
  net::PtzPosition position;
  EXPECT_FALSE(control.QueryPtzPosition(&position)) << "the reply was held back past the wait";
  world_->Execute("fault CAM-1 delay 66 0");
  ASSERT_TRUE(control.SetPtzPosition({7, 8, 9}));
  ASSERT_TRUE(control.QueryPtzPosition(&position));
  EXPECT_EQ(7, position.pan) << "the late reply of the first query answered the second";
  EXPECT_EQ(9, position.zoom);
}

}  // namespace
}  // namespace node
