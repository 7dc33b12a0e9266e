#pragma once
// The main window's recording plans: the plans of the last run resumed at
// start, the user's changes kept for the next one, and the links the plans
// make without a view. The main window tells it of views opening and
// closing and of the hosting server's cameras; it ticks once a second.
#include <memory>

#include "app/storage/camera_plans.h"
#include "app/storage/win32/plan_link.h"
#include "app/view_host.h"
#include "node/storage/storage_fs.h"

namespace app::storage {

class PlanService {
 public:
  PlanService(PlanLinkContext context, node::EventLog* log);
  // Every plan's recording ends and its files are finished.
  ~PlanService();

  // The storage root and the plans of the last run: each starts.
  void Start();
  void Tick() { plans_.Tick(); }
  // The root and its limits, kept for the next run; the retention service follows at once.
  void SetStorage(const StorageSettings& storage);
  // The user's choice, kept for the next run.
  void SetPlan(const PlanCamera& camera, const node::RecordingPlan& plan);
  // One mode for every hour (the menu's choice), the files' length kept.
  void SetPlan(const PlanCamera& camera, node::PlanMode mode);
  CameraPlans& plans() { return plans_; }
  // The maker of links without views, for the wall's cells too.
  Win32PlanLinks& links() { return links_; }
  // The camera entries the plans link directly, with their video sockets' keys.
  std::vector<std::pair<std::string, intptr_t>> DirectLinks() const { return links_.DirectLinks(); }
  // True once each time the disk guard stops the plans (a full disk with
  // nothing left to delete), with why: the user is told once, not each second.
  bool DiskJustFilled(std::string* why);

  // The camera a view shows, as plans name it; false for a stored file's view.
  static bool CameraOfView(const ViewRequest& request, PlanCamera* camera);
  void ViewOpened(const ViewRequest& request, CameraView& view);
  void ViewClosing(const ViewRequest& request, CameraView& view);

 private:
  node::DiskStorage disk_;
  Win32PlanLinks links_;
  CameraPlans plans_;
  bool disk_full_ = false;
};

}  // namespace app::storage
