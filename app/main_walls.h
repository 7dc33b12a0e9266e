#pragma once
// The program's video walls, one a monitor: opened from the main window's
// "Walls" menu, by --wall and by layouts; cameras dragged from the server
// tree onto their cells; the tour of the saved layouts. The cells link
// their cameras as the plans do, without a view, one link a camera however
// many cells show it. Windows only; called on the main window's thread.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/wall/win32/shared_cell_links.h"
#include "app/wall/win32/wall_window.h"

namespace app {

class CServerTree;
namespace storage {
class PlanService;
}  // namespace storage

// What the walls ask of the main window.
class MainWallsOwner {
 public:
  virtual ~MainWallsOwner() = default;
  // The window that parents the walls' dialogs, captures a drag and is
  // posted kWmCloseWall.
  virtual HWND WallsParent() const = 0;
  // Null once the program ends.
  virtual storage::PlanService* Plans() = 0;
  virtual void OpenCameraView(const wall::WallCamera& camera) = 0;
  // A camera entry has a login the links can use (asked for once); false when it has none.
  virtual bool EnsurePlanLogin(const std::string& name) = 0;
  virtual bool RestoreLayout(const std::string& name) = 0;
  // The camera's own items for a cell's menu (its recording plan), and what choosing one does.
  virtual std::vector<wall::WallWindowOwner::CameraMenuItem> CameraMenuItems(const wall::WallCamera& camera) = 0;
  virtual void CameraMenuCommand(const wall::WallCamera& camera, UINT command) = 0;
};

class MainWalls : private wall::WallWindowOwner {
 public:
  // Posted to the owner's window: lParam is a wall the user closed.
  static constexpr UINT kWmCloseWall = WM_APP + 47;

  MainWalls(HINSTANCE instance, CServerTree& tree, MainWallsOwner& owner)
      : instance_(instance), tree_(tree), owner_(owner) {}
  ~MainWalls() override;

  // A wall on a monitor that has one replaces its grid and cameras; null
  // when the window cannot be made.
  wall::CWallWindow* Open(const wall::WallSetup& setup);
  void Close(wall::CWallWindow* wall);
  void CloseAll();
  std::vector<wall::CWallWindow*> all() const;
  // The walls a layout puts back: those on monitors that are gone are left
  // out, the open walls it does not name close.
  void Restore(const std::vector<wall::WallSetup>& walls);
  // --wall's walls, after the start layout.
  void OpenAtStart(const std::vector<wall::WallSetup>& walls);
  // A camera dragged from the tree and let go at `screen`: the cell of a
  // wall there shows it. False when no cell is there.
  bool Drop(const wall::WallCamera& camera, POINT screen);
  void BeginDrag(const wall::WallCamera& camera);
  // The owner's window messages while a camera is dragged; true when consumed.
  bool OnDragMessage(UINT message);
  // The "Walls" menu's commands; false for any other.
  bool OnCommand(UINT id);
  // Once a second: cells that could not link try again, tours move on.
  void Tick();

 private:
  wall::CWallWindow* On(int monitor) const;
  void ToggleLayoutTourNow();

  // wall::WallWindowOwner
  std::unique_ptr<storage::PlanLink> OpenWallLink(const wall::WallCamera& camera, storage::ShownLinkOptions options,
                                                  std::string* why) override;
  void OpenViewOf(const wall::WallCamera& camera) override { owner_.OpenCameraView(camera); }
  void WallChanged(wall::CWallWindow*) override {}
  void WallClosing(wall::CWallWindow* wall) override;
  void WallUserActive(wall::CWallWindow* wall) override;
  std::vector<wall::WallCamera> TourCameras() override;
  void ToggleLayoutTour() override { ToggleLayoutTourNow(); }
  void RunLayoutTour(const wall::Tour& tour) override;
  bool LayoutTourRunning() const override { return layout_tour_ != nullptr; }
  bool AskTourName(std::string* name) override;
  std::vector<CameraMenuItem> CameraMenuItems(const wall::WallCamera& camera) override {
    return owner_.CameraMenuItems(camera);
  }
  void CameraMenuCommand(const wall::WallCamera& camera, UINT command) override {
    owner_.CameraMenuCommand(camera, command);
  }
  void TickLayoutTour();

  HINSTANCE instance_;
  CServerTree& tree_;
  MainWallsOwner& owner_;
  std::unique_ptr<wall::SharedCellLinks> cell_links_;  // before the walls: their cells lease from it
  std::vector<std::unique_ptr<wall::CWallWindow>> walls_;
  std::unique_ptr<wall::TourClock> layout_tour_;
  std::optional<wall::WallCamera> dragged_camera_;  // while a camera is dragged out of the tree
};

}  // namespace app
