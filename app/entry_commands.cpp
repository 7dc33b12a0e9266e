#include "app/entry_commands.h"

#include "app/main_plans.h"
#include "app/program_core.h"
#include "app/view_list.h"
#include "app/view_opener.h"
#include "hosting/hosting_service.h"
#include "settings/win32/ini_handler.h"

namespace app {

using settings::IniHandler;

void EntryCommands::ConnectSelected() {
  const CServerTree::Entry* entry = parts_.tree->EntryOf(parts_.tree->Selected());
  if (!entry || entry->level != 2) {
    IniHandler::Instance().ShowMessage(settings::text::kTreeErrorSelectServer);
    return;
  }
  const settings::ServerRecord record = entry->server;
  std::string user, password;
  if (parts_.opener->AskLogin(parts_.main_window->hwnd(), record, &user, &password))
    parts_.opener->ConnectEntry(record, user, password);
}

void EntryCommands::OpenRelayView(const std::string& camera_id) { parts_.opener->OpenRelay(camera_id); }

void EntryCommands::CloseHostServer() {
  for (CameraView* view : parts_.views->Snapshot())
    if (view->IsRelay()) view->PostClose();
  parts_.core->hosting().CloseHost();
}

void EntryCommands::SetPlan(bool hosted, const std::string& name, node::PlanMode mode) {
  parts_.plans->Set(hosted, name, mode);
}

void EntryCommands::EditPlan(bool hosted, const std::string& name) { parts_.plans->Edit(hosted, name); }

void EntryCommands::BeginCameraDrag(bool hosted, const std::string& name) { parts_.walls->BeginDrag({hosted, name}); }

bool EntryCommands::HostConnected() { return parts_.core->hosting().HostConnected(); }

void EntryCommands::RequestFileList() { parts_.core->hosting().RequestFileList(hosting::RequestTarget::Host()); }

void EntryCommands::OpenFileView(const std::string& camera_id, const std::string& file_name) {
  parts_.opener->OpenFile(camera_id, file_name);
}

storage::PlanService* EntryCommands::Plans() { return parts_.plans->service(); }

void EntryCommands::OpenCameraView(const wall::WallCamera& camera) {
  layouts::LayoutView place;
  place.hosted = camera.hosted;
  place.camera = camera.name;
  OpenLayoutView(place);
}

bool EntryCommands::EnsurePlanLogin(const std::string& name) { return parts_.plans->EnsureLogin(name); }

// A cell's camera has the tree's "Record by Plan" items.
std::vector<wall::WallWindowOwner::CameraMenuItem> EntryCommands::CameraMenuItems(const wall::WallCamera& camera) {
  CServerTree& tree = *parts_.tree;
  const HTREEITEM entry = camera.hosted ? tree.FindCamera(camera.name) : tree.FindServer(camera.name);
  const CServerTree::Entry* e = tree.EntryOf(entry);
  if (!e || !e->IsCamera()) return {};
  std::vector<wall::WallWindowOwner::CameraMenuItem> items;
  for (const TreeMenuItem& item : tree.MenuOf(entry)) {
    node::PlanMode mode{};
    const bool plan_item = item.command == kCmdPlanEdit || PlanModeOfCommand(item.command, &mode);
    if (plan_item && item.label)
      items.push_back({static_cast<UINT>(item.command), IniHandler::Instance().GetString(*item.label), item.checked});
  }
  return items;
}

void EntryCommands::CameraMenuCommand(const wall::WallCamera& camera, UINT command) {
  node::PlanMode mode{};
  if (static_cast<int>(command) == kCmdPlanEdit)
    EditPlan(camera.hosted, camera.name);
  else if (PlanModeOfCommand(static_cast<int>(command), &mode))
    SetPlan(camera.hosted, camera.name, mode);
}

void EntryCommands::OpenLayoutView(const layouts::LayoutView& place) {
  parts_.opener->OpenLayoutView(parts_.main_window->hwnd(), place);
}

}  // namespace app
