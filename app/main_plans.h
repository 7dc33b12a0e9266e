#pragma once
// The main window's recording plans: started with the window, set from the
// server tree's camera menus and the walls' cells, shown beside the cameras
// once a second, ended before the views and the hosting client. Windows
// only; called on the main window's thread.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/storage/win32/plan_service.h"

namespace app {

class CServerTree;
class ProgramCore;
class ViewOpener;
namespace alerts {
class CameraAlerts;
}  // namespace alerts

struct MainPlansSetup {
  HINSTANCE instance = nullptr;
  ProgramCore* core = nullptr;
  CServerTree* tree = nullptr;
  ViewOpener* opener = nullptr;
  alerts::CameraAlerts* alerts = nullptr;
  // A balloon by the tray icon: why the plans stopped.
  std::function<void(const std::string& title, const std::string& text)> balloon;
};

class MainPlans {
 public:
  explicit MainPlans(MainPlansSetup setup) : setup_(std::move(setup)) {}

  static constexpr UINT_PTR kPlanTimer = 3;  // once a second, on `window`

  void Start(HWND window);
  // Each plan's file is finished.
  void Stop();
  // Once a second: the plans' work, then the tree shows each plan's state.
  void Tick();
  // The tree's and the cells' "Record by Plan" items and "Recording Plan...".
  void Set(bool hosted, const std::string& name, node::PlanMode mode);
  void Edit(bool hosted, const std::string& name);
  // A direct camera's plan needs a login nobody is there to type; false when the user declined.
  bool EnsureLogin(const std::string& name);
  // Hosted cameras can be reached while the tree lists them; the tree shows each plan's state.
  void Sync();
  // Null once the plans ended.
  storage::PlanService* service() { return service_.get(); }
  std::vector<std::pair<std::string, intptr_t>> DirectLinks() const;

 private:
  void Apply(bool hosted, const std::string& name, const node::RecordingPlan& plan);

  MainPlansSetup setup_;
  HWND window_ = nullptr;
  // Its links take node slots and use the hosting client.
  std::unique_ptr<storage::PlanService> service_;
};

}  // namespace app
