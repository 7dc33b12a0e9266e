// The plans' links: one per camera, given way to a view of the camera and
// taken again when the view closes; hosted cameras linked only while the
// hosting server lists them; a link that cannot be made tried again.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/storage/camera_plans.h"
#include "node/media/node_media.h"
#include "node/storage/storage_fs.h"
#include "node/media/tests/test_support.h"

namespace app::storage {
namespace {

class FakeLinks : public PlanLinkMaker {
 public:
  class Link : public PlanLink {
   public:
    explicit Link(FakeLinks& owner) : owner_(owner) { ++owner_.live; }
    ~Link() override { --owner_.live; }
    node::NodeMedia& media() override { return media_; }

   private:
    FakeLinks& owner_;
    node::testing::RecordingPoster poster_;
    node::NodeMedia media_{7, poster_, {0x10, 0x20}, nullptr, nullptr};
  };

  std::unique_ptr<PlanLink> Open(const PlanCamera& camera, std::string* why) override {
    last = camera;
    if (!refuse.empty()) {
      *why = refuse;
      return nullptr;
    }
    ++opened;
    return std::make_unique<Link>(*this);
  }

  int opened = 0, live = 0;
  std::string refuse;  // not empty: no link can be made, for this reason
  PlanCamera last;
};

class CameraPlansTest : public ::testing::Test {
 protected:
  CameraPlansTest() {
    std::filesystem::remove_all(root_);
    plans_->SetStorage({root_, {}});
    continuous_.mode = node::PlanMode::kContinuous;
    view_.LinkStateChanged(true, true);
  }
  // The plans end first: Windows removes no file still being written.
  ~CameraPlansTest() override {
    plans_.reset();
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }

  const std::string root_ = node::testing::TempPath("camera_plans");
  FakeLinks links_;
  node::DiskStorage disk_;
  node::RecordingPlan continuous_;
  node::testing::RecordingPoster poster_;
  node::NodeMedia view_{3, poster_, {0x30, 0x40}, nullptr, nullptr};  // a view's media side, its link up
  std::unique_ptr<CameraPlans> plans_ = std::make_unique<CameraPlans>(links_, disk_, nullptr);
  const PlanCamera gate_{false, "GATE"};
};

// The key is stored: its words are pinned, not only read back.
TEST(PlanCameraKey, NamesDirectAndHostedCamerasApartAndReadsBack) {
  EXPECT_EQ((PlanCamera{false, "Front door"}).Key(), "direct Front door");
  EXPECT_EQ((PlanCamera{true, "CAM-1"}).Key(), "hosted CAM-1");
  PlanCamera read;
  ASSERT_TRUE(PlanCamera::FromKey("hosted CAM-1", &read));
  EXPECT_EQ(read, (PlanCamera{true, "CAM-1"}));
  EXPECT_FALSE(PlanCamera::FromKey("direct ", &read));
  EXPECT_FALSE(PlanCamera::FromKey("camera GATE", &read));
}

// The camera is asked for one login at a time: the plan's own link while no
// view shows it, the view's while one does.
TEST_F(CameraPlansTest, APlansLinkGivesWayToAViewOfItsCameraAndComesBackAfterIt) {
  plans_->SetPlan(gate_, continuous_);
  EXPECT_EQ(links_.opened, 1);
  EXPECT_EQ(links_.last, gate_);
  EXPECT_EQ(plans_->StateOf(gate_).kind, node::PlanStateKind::kWaiting) << "the fake link never comes up";

  plans_->ViewOpened(gate_, view_);
  EXPECT_EQ(links_.live, 0) << "the plan kept its own link beside the view's";
  plans_->Tick();
  const node::PlanState state = plans_->StateOf(gate_);
  EXPECT_EQ(state.kind, node::PlanStateKind::kRecording) << state.why;
  EXPECT_NE(state.path.find("GATE"), std::string::npos) << state.path;

  node::testing::RecordingPoster poster;
  node::NodeMedia second{4, poster, {0x50, 0x60}, nullptr, nullptr};
  plans_->ViewOpened(gate_, second);
  plans_->ViewClosing(gate_, second);
  EXPECT_EQ(links_.live, 0) << "a second view's close took the plan from the first";

  // The first closes while another shows the camera: the plan moves there.
  second.LinkStateChanged(true, true);
  plans_->ViewOpened(gate_, second);
  plans_->ViewClosing(gate_, view_);
  EXPECT_EQ(links_.live, 0) << "the plan opened a link of its own beside the second view's";
  plans_->Tick();
  EXPECT_EQ(plans_->StateOf(gate_).kind, node::PlanStateKind::kRecording) << "through the second view";
  plans_->ViewOpened(gate_, view_);
  plans_->ViewClosing(gate_, second);
  EXPECT_EQ(links_.live, 0);

  plans_->ViewClosing(gate_, view_);
  EXPECT_EQ(links_.live, 1);
  EXPECT_EQ(links_.opened, 2);
  plans_->Tick();
  EXPECT_EQ(plans_->StateOf(gate_).kind, node::PlanStateKind::kWaiting) << "it records without a link";
}

TEST_F(CameraPlansTest, AHostedCameraIsLinkedOnlyWhileTheHostingServerListsIt) {
  const PlanCamera hosted{true, "CAM-7"};
  plans_->SetPlan(hosted, continuous_);
  EXPECT_EQ(links_.opened, 0);
  EXPECT_NE(plans_->StateOf(hosted).why.find("does not list"), std::string::npos);

  plans_->SetReachable(hosted, true);
  EXPECT_EQ(links_.live, 1);
  plans_->SetPlan(gate_, continuous_);
  plans_->SetAllHostedUnreachable();
  EXPECT_EQ(links_.live, 1) << "the direct camera's link went with the hosting server";
  EXPECT_FALSE(plans_->HasOwnLink(hosted));

  plans_->SetPlan(gate_, node::RecordingPlan{});
  EXPECT_EQ(links_.live, 0);
  EXPECT_EQ(plans_->StateOf(gate_).kind, node::PlanStateKind::kOff);
  EXPECT_EQ(plans_->Cameras().size(), 1u);
}

TEST_F(CameraPlansTest, ALinkThatCannotBeMadeLeavesThePlanWaitingAndIsTriedAgain) {
  links_.refuse = "no node slot is free";
  plans_->SetPlan(gate_, continuous_);
  const node::PlanState state = plans_->StateOf(gate_);
  EXPECT_EQ(state.kind, node::PlanStateKind::kWaiting);
  EXPECT_EQ(state.why, "no node slot is free");
  links_.refuse.clear();
  plans_->Tick();
  EXPECT_EQ(links_.live, 1);
}

}  // namespace
}  // namespace app::storage
