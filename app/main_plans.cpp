#include "app/main_plans.h"

#include "app/alerts/camera_alerts.h"
#include "app/program_core.h"
#include "app/server_tree.h"
#include "app/storage/win32/plan_dialog.h"
#include "app/storage/win32/plan_registry.h"
#include "app/view_opener.h"
#include "settings/win32/viewer_registry.h"

namespace app {

void MainPlans::Start(HWND window) {
  window_ = window;
  CServerTree& tree = *setup_.tree;
  alerts::CameraAlerts& alerts = *setup_.alerts;
  storage::PlanLinkContext context;
  context.core = setup_.core;
  context.find_entry = [&tree](const std::string& name, settings::ServerRecord* entry) {
    const CServerTree::Entry* e = tree.EntryOf(tree.FindServer(name));
    if (!e || !e->server.IsCamera()) return false;
    *entry = e->server;
    return true;
  };
  context.motion_started = [&alerts](const storage::PlanCamera& camera, const std::string& camera_id) {
    alerts.MotionStarted(nullptr, camera_id, camera.name);
  };
  context.outage = [&alerts](const storage::PlanCamera& camera, const std::string& camera_id, bool lost) {
    alerts.CameraOutage(nullptr, camera_id, camera.name, lost);
  };
  ViewOpener& opener = *setup_.opener;
  alerts.SetViewOpener([&opener, window](const std::string& camera_id, const std::string& name) {
    opener.QueueAlertView(window, camera_id, name);
  });
  service_ = std::make_unique<storage::PlanService>(std::move(context), &setup_.core->event_log());
  service_->Start();
  Sync();
  SetTimer(window_, kPlanTimer, 1000, nullptr);
}

void MainPlans::Stop() {
  if (!service_) return;
  KillTimer(window_, kPlanTimer);
  service_.reset();
}

void MainPlans::Tick() {
  if (service_) service_->Tick();
  Sync();
}

// Nobody is there to log in when a direct camera's plan connects: the
// entry's saved login serves, else the user is asked once and the login is
// kept with the plan.
bool MainPlans::EnsureLogin(const std::string& name) {
  std::string user, password;
  const CServerTree::Entry* e = setup_.tree->EntryOf(setup_.tree->FindServer(name));
  if (!e) return false;
  if (storage::LoadPlanLogin(name, &user, &password) || !settings::LoadSavedLogin(name).user.empty()) return true;
  if (!setup_.opener->AskLogin(window_, e->server, &user, &password)) return false;
  storage::SavePlanLogin(name, user, password);
  return true;
}

void MainPlans::Set(bool hosted, const std::string& name, node::PlanMode mode) {
  if (!service_) return;
  node::RecordingPlan plan = service_->plans().PlanOf({hosted, name});
  plan.mode = mode;
  plan.scheduled = false;
  Apply(hosted, name, plan);
}

void MainPlans::Edit(bool hosted, const std::string& name) {
  if (!service_) return;
  storage::CPlanDialog dialog(setup_.instance, service_->plans().PlanOf({hosted, name}), name);
  if (dialog.DoModal(window_) == IDOK) Apply(hosted, name, dialog.plan());
}

void MainPlans::Apply(bool hosted, const std::string& name, const node::RecordingPlan& plan) {
  if (!hosted && plan.Active() && !EnsureLogin(name)) return;
  service_->SetPlan({hosted, name}, plan);
  if (!plan.Active()) setup_.tree->model().SetPlan(hosted, name, node::RecordingPlan{}, node::PlanStateKind::kOff);
  Sync();
}

void MainPlans::Sync() {
  if (!service_) return;
  std::string why;
  if (service_->DiskJustFilled(&why) && setup_.balloon) setup_.balloon("Recording plans stopped", why);
  storage::CameraPlans& plans = service_->plans();
  for (const storage::PlanCamera& camera : plans.Cameras()) {
    if (camera.hosted) plans.SetReachable(camera, setup_.tree->FindCamera(camera.name) != nullptr);
    const node::PlanState state = plans.StateOf(camera);
    setup_.tree->model().SetPlan(camera.hosted, camera.name, plans.PlanOf(camera), state.kind);
  }
}

std::vector<std::pair<std::string, intptr_t>> MainPlans::DirectLinks() const {
  if (!service_) return {};
  return service_->DirectLinks();
}

}  // namespace app
