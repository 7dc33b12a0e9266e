#pragma once
// What the server tree's entries, the file list's files, the walls' cells
// and the layouts ask of the program: a view, a login, a recording plan, a
// drag onto a wall, a layout; each is handed to the part that does it.
// Windows only; called on the main window's thread.
#include <windows.h>

#include <string>
#include <vector>

#include "app/file_list_window.h"
#include "app/main_layouts.h"
#include "app/main_walls.h"
#include "app/server_tree.h"
#include "os/win32/dialog.h"

namespace app {

class MainPlans;
class ProgramCore;
class ViewList;
class ViewOpener;

struct EntryCommandParts {
  const win32::CDialogBase* main_window = nullptr;  // parents the dialogs
  ProgramCore* core = nullptr;
  CServerTree* tree = nullptr;
  ViewList* views = nullptr;
  ViewOpener* opener = nullptr;
  MainPlans* plans = nullptr;
  MainWalls* walls = nullptr;
  MainLayouts* layouts = nullptr;
};

class EntryCommands : public ServerTreeOwner, public FileListOwner, public MainWallsOwner, public MainLayoutsOwner {
 public:
  explicit EntryCommands(EntryCommandParts parts) : parts_(parts) {}

  // ServerTreeOwner
  void ConnectSelected() override;
  void OpenRelayView(const std::string& camera_id) override;
  void CloseHostServer() override;
  void SetPlan(bool hosted, const std::string& name, node::PlanMode mode) override;
  void EditPlan(bool hosted, const std::string& name) override;
  void BeginCameraDrag(bool hosted, const std::string& name) override;
  // FileListOwner
  bool HostConnected() override;
  void RequestFileList() override;
  void OpenFileView(const std::string& camera_id, const std::string& file_name) override;
  // MainWallsOwner
  HWND WallsParent() const override { return parts_.main_window->hwnd(); }
  storage::PlanService* Plans() override;
  void OpenCameraView(const wall::WallCamera& camera) override;
  bool EnsurePlanLogin(const std::string& name) override;
  bool RestoreLayout(const std::string& name) override { return parts_.layouts->Restore(name); }
  std::vector<wall::WallWindowOwner::CameraMenuItem> CameraMenuItems(const wall::WallCamera& camera) override;
  void CameraMenuCommand(const wall::WallCamera& camera, UINT command) override;
  // MainLayoutsOwner
  HWND LayoutsParent() const override { return parts_.main_window->hwnd(); }
  void OpenLayoutView(const layouts::LayoutView& place) override;

 private:
  EntryCommandParts parts_;
};

}  // namespace app
