// The main window's video walls: opened from the system menu's "Walls", by
// --wall and by layouts; cameras dragged from the tree onto their cells.
// The cells link their cameras as the plans do, without a view.
#include <algorithm>

#include "app/main_window.h"
#include "app/resource.h"
#include "app/storage/win32/plan_registry.h"
#include "app/wall/win32/shared_cell_links.h"
#include "os/win32/monitors.h"
#include "settings/viewer_registry.h"

namespace app {

wall::CWallWindow* CMainWindow::OpenWall(const wall::WallSetup& setup) {
  const auto same = std::find_if(walls_.begin(), walls_.end(),
                                 [&](const auto& w) { return w->setup().monitor == setup.monitor; });
  if (same != walls_.end()) {
    // The wall on that monitor takes the new grid and cameras: a cell that
    // keeps its camera keeps its link.
    (*same)->SetPattern(setup.pattern);
    for (size_t i = 0; i < setup.cells.size(); ++i) (*same)->SetCamera(static_cast<int>(i), setup.cells[i]);
    return same->get();
  }
  wall::WallWindowOwner& owner = *this;
  auto wall = std::make_unique<wall::CWallWindow>(owner, setup);
  if (!wall->Open(win32::MonitorRects())) return nullptr;
  walls_.push_back(std::move(wall));
  return walls_.back().get();
}

void CMainWindow::CloseWall(wall::CWallWindow* wall) {
  const auto at = std::find_if(walls_.begin(), walls_.end(), [&](const auto& w) { return w.get() == wall; });
  if (at != walls_.end()) walls_.erase(at);
}

void CMainWindow::CloseWalls() {
  walls_.clear();
  cell_links_.reset();  // every lease went with the cells
}

std::vector<wall::CWallWindow*> CMainWindow::walls() const {
  std::vector<wall::CWallWindow*> open;
  for (const auto& w : walls_) open.push_back(w.get());
  return open;
}

void CMainWindow::WallClosing(wall::CWallWindow* wall) {
  // Its menu or its window procedure is still on the stack.
  PostMessageW(hwnd(), kWmCloseWall, 0, reinterpret_cast<LPARAM>(wall));
}

std::unique_ptr<storage::PlanLink> CMainWindow::OpenWallLink(const wall::WallCamera& camera,
                                                             storage::ShownLinkOptions options, std::string* why) {
  if (!plans_) {
    *why = "the program is ending";
    return nullptr;
  }
  if (camera.hosted && !tree_.FindCamera(camera.name)) {
    *why = "waiting for the hosting server to list it";
    return nullptr;
  }
  if (!cell_links_)
    cell_links_ = std::make_unique<wall::SharedCellLinks>(
        [this](const wall::WallCamera& shown, storage::ShownLinkOptions fan, std::string* reason) {
          return plans_->links().OpenShown({shown.hosted, shown.name}, std::move(fan), reason);
        });
  return cell_links_->Lease(camera, std::move(options), why);
}

void CMainWindow::OpenViewOf(const wall::WallCamera& camera) {
  layouts::LayoutView place;
  place.hosted = camera.hosted;
  place.camera = camera.name;
  OpenLayoutView(place);
}

bool CMainWindow::DropOnWall(const wall::WallCamera& camera, POINT screen) {
  for (const auto& w : walls_) {
    const int cell = w->CellAt(screen);
    if (cell < 0) continue;
    if (!camera.hosted && !EnsurePlanLogin(camera.name)) return false;
    w->SetCamera(cell, camera);
    return true;
  }
  return false;
}

void CMainWindow::BeginCameraDrag(bool hosted, const std::string& name) {
  dragged_camera_ = {hosted, name};
  dragging_camera_ = true;
  SetCapture(hwnd());
  SetCursor(LoadCursorW(nullptr, IDC_CROSS));
}

// The drag of a camera out of the tree: it ends where the button is let go.
bool CMainWindow::OnDragMessage(UINT message) {
  if (!dragging_camera_) return false;
  switch (message) {
    case WM_MOUSEMOVE:
      SetCursor(LoadCursorW(nullptr, IDC_CROSS));
      return true;
    case WM_LBUTTONUP: {
      dragging_camera_ = false;
      ReleaseCapture();
      POINT at{};
      GetCursorPos(&at);
      DropOnWall(dragged_camera_, at);
      return true;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      dragging_camera_ = false;
      return false;
    default:
      return false;
  }
}

void CMainWindow::OpenStartWalls() {
  for (const wall::WallSetup& setup : setup_.options.walls) {
    // A wall the start layout put on that monitor keeps its cameras.
    const auto same = std::find_if(walls_.begin(), walls_.end(),
                                   [&](const auto& w) { return w->setup().monitor == setup.monitor; });
    if (same != walls_.end())
      (*same)->SetPattern(setup.pattern);
    else
      OpenWall(setup);
  }
}

bool CMainWindow::OnWallCommand(UINT id) {
  if (id == ID_CLOSE_WALLS) {
    CloseWalls();
    return true;
  }
  if (id < ID_WALL_FIRST || id >= ID_WALL_FIRST + 16 * ID_WALL_COUNT) return false;
  wall::WallSetup setup;
  setup.monitor = static_cast<int>((id - ID_WALL_FIRST) / 16) + 1;
  const auto same = std::find_if(walls_.begin(), walls_.end(),
                                 [&](const auto& w) { return w->setup().monitor == setup.monitor; });
  if (same == walls_.end()) OpenWall(setup);
  return true;
}

}  // namespace app
