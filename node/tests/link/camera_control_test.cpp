// CameraControl's own rules on a fake link, without a camera: which drags
// become rectangles to zoom to, and that a control without a hosting client
// neither sends nor waits. The requests on the wire are tested against
// halyard-sim in node_link_test.
#include <gtest/gtest.h>

#include "node/camera_control.h"
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
    EXPECT_TRUE(direct.DragSendsRectangle(10, -10)) << "first device " << code;
    link.SetDevices(5, code);
    EXPECT_TRUE(direct.DragSendsRectangle(-10, 10)) << "second device " << code;
  }
  EXPECT_FALSE(relay.DragSendsRectangle(50, 50)) << "the hosting server relays no rectangles";
  EXPECT_FALSE(direct.DragSendsRectangle(9, 50)) << "too narrow: pan/tilt steps";
  EXPECT_FALSE(direct.DragSendsRectangle(50, -9)) << "too flat: pan/tilt steps";
  link.SetDevices(5, 7);
  EXPECT_FALSE(direct.DragSendsRectangle(50, 50)) << "neither device zooms to a rectangle";
  link.SetDevices(0, 0);
  link.info.SetVersion(1, 1, 7);
  EXPECT_FALSE(direct.DragSendsRectangle(50, 50)) << "cameras before 1.1.8 know no rectangles";
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

}  // namespace
}  // namespace node
