// The main window's recording plans: started with the window, set from the
// server tree's camera menus, shown beside the cameras, ended before the
// views and the hosting client.
#include "app/main_window.h"
#include "app/storage/win32/plan_dialog.h"
#include "app/storage/win32/plan_registry.h"
#include "settings/win32/viewer_registry.h"

namespace app {

void CMainWindow::StartPlans() {
  storage::PlanLinkContext context;
  context.core = &core_;
  context.find_entry = [this](const std::string& name, settings::ServerRecord* entry) {
    const CServerTree::Entry* e = tree_.EntryOf(tree_.FindServer(name));
    if (!e || !e->server.IsCamera()) return false;
    *entry = e->server;
    return true;
  };
  context.motion_started = [this](const storage::PlanCamera& camera, const std::string& camera_id) {
    alerts_.MotionStarted(nullptr, camera_id, camera.name);
  };
  context.outage = [this](const storage::PlanCamera& camera, const std::string& camera_id, bool lost) {
    alerts_.CameraOutage(nullptr, camera_id, camera.name, lost);
  };
  // Opened from the message loop: the plan's link that alerted gives way to the view.
  alerts_.SetViewOpener([this](const std::string& camera_id, const std::string& name) {
    alert_opens_.emplace_back(camera_id, name);
    PostMessageW(hwnd(), kWmOpenAlertViews, 0, 0);
  });
  plans_ = std::make_unique<storage::PlanService>(std::move(context), &core_.event_log());
  plans_->Start();
  SyncPlans();
  SetTimer(hwnd(), kPlanTimer, 1000, nullptr);
}

void CMainWindow::StopPlans() {
  if (!plans_) return;
  KillTimer(hwnd(), kPlanTimer);
  plans_.reset();  // the plans' files are finished
}

// Nobody is there to log in when a direct camera's plan connects: the
// entry's saved login serves, else the user is asked once and the login is
// kept with the plan. False when the user declined.
bool CMainWindow::EnsurePlanLogin(const std::string& name) {
  std::string user, password;
  const CServerTree::Entry* e = tree_.EntryOf(tree_.FindServer(name));
  if (!e) return false;
  if (storage::LoadPlanLogin(name, &user, &password) || !settings::LoadSavedLogin(name).user.empty()) return true;
  if (!AskLogin(e->server, &user, &password)) return false;
  storage::SavePlanLogin(name, user, password);
  return true;
}

void CMainWindow::SetPlan(bool hosted, const std::string& name, node::PlanMode mode) {
  if (!plans_) return;
  node::RecordingPlan plan = plans_->plans().PlanOf({hosted, name});
  plan.mode = mode;
  plan.scheduled = false;
  ApplyPlan(hosted, name, plan);
}

void CMainWindow::EditPlan(bool hosted, const std::string& name) {
  if (!plans_) return;
  storage::CPlanDialog dialog(setup_.instance, plans_->plans().PlanOf({hosted, name}), name);
  if (dialog.DoModal(hwnd()) == IDOK) ApplyPlan(hosted, name, dialog.plan());
}

void CMainWindow::ApplyPlan(bool hosted, const std::string& name, const node::RecordingPlan& plan) {
  if (!hosted && plan.Active() && !EnsurePlanLogin(name)) return;
  plans_->SetPlan({hosted, name}, plan);
  if (!plan.Active()) tree_.SetPlan(hosted, name, node::RecordingPlan{}, node::PlanStateKind::kOff);
  SyncPlans();
}

void CMainWindow::OpenAlertViews() {
  std::vector<std::pair<std::string, std::string>> opens;
  opens.swap(alert_opens_);
  for (const auto& [camera_id, name] : opens) {
    if (name == camera_id && tree_.FindCamera(camera_id)) {
      OpenRelayView(camera_id);
      continue;
    }
    const CServerTree::Entry* e = tree_.EntryOf(tree_.FindServer(name));
    if (!e || !e->server.IsCamera()) continue;
    bool open = false;
    for (CameraView* view : views_.Snapshot())
      open = open || (views_.RequestOf(view).kind == ViewRequest::Kind::kDirect && views_.RequestOf(view).display_name == name);
    std::string user, password;
    if (open) continue;
    if (!storage::LoadPlanLogin(name, &user, &password)) {
      const settings::SavedLogin saved = settings::LoadSavedLogin(name);
      user = saved.user;
      password = saved.password;
    }
    ConnectEntry(e->server, user, password);
  }
}

void CMainWindow::SyncPlans() {
  if (!plans_) return;
  std::string why;
  if (plans_->DiskJustFilled(&why)) tray_.ShowBalloon("Recording plans stopped", why);
  storage::CameraPlans& plans = plans_->plans();
  for (const storage::PlanCamera& camera : plans.Cameras()) {
    if (camera.hosted) plans.SetReachable(camera, tree_.FindCamera(camera.name) != nullptr);
    const node::PlanState state = plans.StateOf(camera);
    tree_.SetPlan(camera.hosted, camera.name, plans.PlanOf(camera), state.kind);
  }
}

}  // namespace app
