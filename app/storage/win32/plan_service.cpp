#include "app/storage/win32/plan_service.h"

#include "app/storage/win32/plan_registry.h"

namespace app::storage {

PlanService::PlanService(PlanLinkContext context, node::EventLog* log)
    : links_(std::move(context)), plans_(links_, disk_, log) {}

PlanService::~PlanService() = default;

void PlanService::Start() {
  plans_.SetStorage(LoadStorageSettings());
  for (const auto& [camera, plan] : LoadPlans()) plans_.SetPlan(camera, plan);
}

void PlanService::SetStorage(const StorageSettings& storage) {
  plans_.SetStorage(storage);
  SaveStorageSettings(storage);
}

void PlanService::SetPlan(const PlanCamera& camera, const node::RecordingPlan& plan) {
  plans_.SetPlan(camera, plan);
  SavePlan(camera, plan);
}

void PlanService::SetPlan(const PlanCamera& camera, node::PlanMode mode) {
  node::RecordingPlan plan = plans_.PlanOf(camera);
  plan.mode = mode;
  plan.scheduled = false;
  SetPlan(camera, plan);
}

bool PlanService::DiskJustFilled(std::string* why) {
  const bool full = !plans_.Cameras().empty() && plans_.retention().guard().Stopped(why);
  const bool news = full && !disk_full_;
  disk_full_ = full;
  return news;
}

bool PlanService::CameraOfView(const ViewRequest& request, PlanCamera* camera) {
  switch (request.kind) {
    case ViewRequest::Kind::kRelay:
      *camera = {true, request.camera_id};
      return !request.camera_id.empty();
    case ViewRequest::Kind::kDirect:
      *camera = {false, request.display_name};
      return !request.display_name.empty();
    default:
      return false;
  }
}

void PlanService::ViewOpened(const ViewRequest& request, CameraView& view) {
  PlanCamera camera;
  if (CameraOfView(request, &camera) && view.Media()) plans_.ViewOpened(camera, *view.Media());
}

void PlanService::ViewClosing(const ViewRequest& request, CameraView& view) {
  PlanCamera camera;
  if (CameraOfView(request, &camera) && view.Media()) plans_.ViewClosing(camera, *view.Media());
}

}  // namespace app::storage
