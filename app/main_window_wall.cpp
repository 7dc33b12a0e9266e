// The main window's side of the video walls: what a cell's camera menu
// offers of its plan, the view a cell opens, and the drag out of the tree.
#include "app/main_window.h"
#include "settings/win32/ini_handler.h"

namespace app {

void CMainWindow::OpenCameraView(const wall::WallCamera& camera) {
  layouts::LayoutView place;
  place.hosted = camera.hosted;
  place.camera = camera.name;
  OpenLayoutView(place);
}

void CMainWindow::BeginCameraDrag(bool hosted, const std::string& name) { walls_.BeginDrag({hosted, name}); }

// A cell's camera has the tree's "Record by Plan" items.
std::vector<wall::WallWindowOwner::CameraMenuItem> CMainWindow::CameraMenuItems(const wall::WallCamera& camera) {
  const HTREEITEM entry = camera.hosted ? tree_.FindCamera(camera.name) : tree_.FindServer(camera.name);
  const CServerTree::Entry* e = tree_.EntryOf(entry);
  if (!e || !e->IsCamera()) return {};
  std::vector<wall::WallWindowOwner::CameraMenuItem> items;
  for (const TreeMenuItem& item : tree_.MenuOf(entry)) {
    node::PlanMode mode{};
    const bool plan_item = item.command == kCmdPlanEdit || PlanModeOfCommand(item.command, &mode);
    if (plan_item && item.label)
      items.push_back({static_cast<UINT>(item.command), settings::IniHandler::Instance().GetString(*item.label),
                       item.checked});
  }
  return items;
}

void CMainWindow::CameraMenuCommand(const wall::WallCamera& camera, UINT command) {
  node::PlanMode mode{};
  if (static_cast<int>(command) == kCmdPlanEdit)
    EditPlan(camera.hosted, camera.name);
  else if (PlanModeOfCommand(static_cast<int>(command), &mode))
    SetPlan(camera.hosted, camera.name, mode);
}

}  // namespace app
