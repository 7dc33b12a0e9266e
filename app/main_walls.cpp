#include "app/main_walls.h"

#include <algorithm>

#include "app/resource.h"
#include "app/server_tree.h"
#include "app/storage/win32/plan_service.h"
#include "app/layouts/win32/layout_name_dialog.h"
#include "app/layouts/win32/layout_registry.h"
#include "app/wall/win32/shared_cell_links.h"
#include "os/clock.h"
#include "os/win32/message_box.h"
#include "os/win32/monitors.h"
#include "os/debug_log.h"
#include "settings/win32/ini_handler.h"

namespace app {

wall::CWallWindow* MainWalls::On(int monitor) const {
  for (const auto& w : walls_)
    if (w->setup().monitor == monitor) return w.get();
  return nullptr;
}

wall::CWallWindow* MainWalls::Open(const wall::WallSetup& setup) {
  if (wall::CWallWindow* same = On(setup.monitor)) {
    // The wall on that monitor takes the new grid and cameras: a cell that
    // keeps its camera keeps its link.
    same->StopTour();
    same->SetPattern(setup.pattern);
    for (size_t i = 0; i < setup.cells.size(); ++i) same->SetCamera(static_cast<int>(i), setup.cells[i]);
    same->RunTour(setup.tour);
    return same;
  }
  wall::WallWindowOwner& owner = *this;
  auto wall = std::make_unique<wall::CWallWindow>(owner, setup);
  if (!wall->Open(win32::MonitorRects())) return nullptr;
  walls_.push_back(std::move(wall));
  return walls_.back().get();
}

void MainWalls::Close(wall::CWallWindow* wall) {
  const auto at = std::find_if(walls_.begin(), walls_.end(), [&](const auto& w) { return w.get() == wall; });
  if (at != walls_.end()) walls_.erase(at);
}

MainWalls::~MainWalls() { CloseAll(); }

void MainWalls::CloseAll() {
  walls_.clear();
  cell_links_.reset();  // every lease went with the cells
}

std::vector<wall::CWallWindow*> MainWalls::all() const {
  std::vector<wall::CWallWindow*> open;
  for (const auto& w : walls_) open.push_back(w.get());
  return open;
}

void MainWalls::WallClosing(wall::CWallWindow* wall) {
  // Its menu or its window procedure is still on the stack.
  PostMessageW(owner_.WallsParent(), kWmCloseWall, 0, reinterpret_cast<LPARAM>(wall));
}

std::unique_ptr<storage::PlanLink> MainWalls::OpenWallLink(const wall::WallCamera& camera,
                                                             storage::ShownLinkOptions options, std::string* why) {
  if (!owner_.Plans()) {
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
          return owner_.Plans()->links().OpenShown({shown.hosted, shown.name}, std::move(fan), reason);
        },
        // A camera's plan records through the wall's link while it lives:
        // one login per camera.
        [this](const wall::WallCamera& shown, node::NodeMedia& media, bool opened) {
          storage::PlanService* plans = owner_.Plans();
          if (!plans) return;
          if (opened)
            plans->plans().ViewOpened({shown.hosted, shown.name}, media);
          else
            plans->plans().ViewClosing({shown.hosted, shown.name}, media);
        });
  return cell_links_->Lease(camera, std::move(options), why);
}

bool MainWalls::Drop(const wall::WallCamera& camera, POINT screen) {
  for (const auto& w : walls_) {
    const int cell = w->CellAt(screen);
    if (cell < 0) continue;
    if (!camera.hosted && !owner_.EnsurePlanLogin(camera.name)) return false;
    w->SetCamera(cell, camera);
    return true;
  }
  return false;
}

void MainWalls::BeginDrag(const wall::WallCamera& camera) {
  dragged_camera_ = camera;
  SetCapture(owner_.WallsParent());
  SetCursor(LoadCursorW(nullptr, IDC_CROSS));
}

// The drag of a camera out of the tree: it ends where the button is let go.
bool MainWalls::OnDragMessage(UINT message) {
  if (!dragged_camera_) return false;
  switch (message) {
    case WM_MOUSEMOVE:
      SetCursor(LoadCursorW(nullptr, IDC_CROSS));
      return true;
    case WM_LBUTTONUP: {
      const wall::WallCamera camera = *dragged_camera_;
      dragged_camera_.reset();  // before ReleaseCapture, whose WM_CAPTURECHANGED comes at once
      ReleaseCapture();
      POINT at{};
      GetCursorPos(&at);
      Drop(camera, at);
      return true;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      dragged_camera_.reset();
      return false;
    default:
      return false;
  }
}

void MainWalls::OpenAtStart(const std::vector<wall::WallSetup>& walls) {
  for (const wall::WallSetup& setup : walls) {
    // A wall the start layout put on that monitor keeps its cameras.
    if (wall::CWallWindow* same = On(setup.monitor))
      same->SetPattern(setup.pattern);
    else
      Open(setup);
  }
}

void MainWalls::WallUserActive(wall::CWallWindow*) {
  if (layout_tour_) layout_tour_->UserActivity(static_cast<int64_t>(os::MonotonicMs()));
}

// Every camera the tree knows now: the camera entries and the cameras the
// hosting server lists.
std::vector<wall::WallCamera> MainWalls::TourCameras() {
  std::vector<wall::WallCamera> cameras;
  std::vector<HTREEITEM> items = tree_.Children(nullptr);
  for (size_t i = 0; i < items.size(); ++i) {
    const CServerTree::Entry* e = tree_.EntryOf(items[i]);
    if (e && e->level == 3) cameras.push_back({true, e->camera.camera_id});
    if (e && e->level == 2 && e->server.IsCamera()) cameras.push_back({false, e->server.name});
    for (HTREEITEM child : tree_.Children(items[i])) items.push_back(child);
  }
  return cameras;
}

void MainWalls::ToggleLayoutTourNow() {
  if (layout_tour_) {
    layout_tour_.reset();
    return;
  }
  constexpr int kLayoutDwellSeconds = 20;
  wall::Tour tour;
  tour.kind = wall::Tour::Kind::kLayouts;
  for (const std::string& name : layouts::LayoutNames())
    if (tour.steps.size() < wall::Tour::kMaxSteps) tour.steps.push_back({name, {}, kLayoutDwellSeconds});
  if (tour.steps.size() < 2) {
    win32::ShowMessageBox(owner_.WallsParent(), "Save two layouts or more to tour them.", "Tour the Layouts");
    return;
  }
  RunLayoutTour(tour);
}

void MainWalls::RunLayoutTour(const wall::Tour& tour) {
  layout_tour_ = std::make_unique<wall::TourClock>(tour);
  layout_tour_->Start(static_cast<int64_t>(os::MonotonicMs()));
  TickLayoutTour();
}

// From the timer, never from a wall's own message: a layout may close walls.
void MainWalls::TickLayoutTour() {
  if (!layout_tour_) return;
  const std::optional<wall::TourShow> show = layout_tour_->Tick(static_cast<int64_t>(os::MonotonicMs()));
  if (!show || show->step >= layout_tour_->tour().steps.size()) return;
  const std::string name = layout_tour_->tour().steps[show->step].layout;
  if (!owner_.RestoreLayout(name)) DebugLog("Tour : no stored layout %s\n", name.c_str());
}

bool MainWalls::AskTourName(std::string* name) {
  layouts::CLayoutNameDialog dialog(instance_, "Save Tour As", "");
  if (dialog.DoModal(owner_.WallsParent()) != IDOK) return false;
  *name = dialog.name();
  return true;
}

bool MainWalls::OnCommand(UINT id) {
  if (id == ID_TOUR_LAYOUTS) {
    ToggleLayoutTourNow();
    return true;
  }
  if (id == ID_CLOSE_WALLS) {
    CloseAll();
    return true;
  }
  if (id < ID_WALL_FIRST || id >= ID_WALL_FIRST + 16 * ID_WALL_COUNT) return false;
  wall::WallSetup setup;
  setup.monitor = static_cast<int>((id - ID_WALL_FIRST) / 16) + 1;
  if (!On(setup.monitor)) Open(setup);
  return true;
}

void MainWalls::Tick() {
  for (const auto& w : walls_) w->Tick();
  TickLayoutTour();
}

// A wall on a monitor that is gone is left out rather than laid over the
// primary, where it would hide the main window and the views.
void MainWalls::Restore(const std::vector<wall::WallSetup>& walls) {
  const size_t monitors = win32::MonitorRects().size();
  std::vector<wall::CWallWindow*> kept;
  for (const wall::WallSetup& setup : walls) {
    if (static_cast<size_t>(setup.monitor) > monitors) {
      DebugLog("Layout : no monitor %d for its wall\n", setup.monitor);
      continue;
    }
    if (wall::CWallWindow* open = Open(setup)) kept.push_back(open);
  }
  for (wall::CWallWindow* open : all())
    if (std::find(kept.begin(), kept.end(), open) == kept.end()) Close(open);
}

}  // namespace app
