// The main window's layouts: the open views saved under a name, put back
// from the system menu's "Layouts", with Ctrl+1 to Ctrl+9 and at start, on
// the monitors present now.
#include <algorithm>

#include "app/layouts/win32/layout_name_dialog.h"
#include "app/layouts/win32/layout_registry.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "app/storage/win32/plan_registry.h"
#include "os/debug_log.h"
#include "os/win32/message_box.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"
#include "settings/win32/viewer_registry.h"

namespace app {
namespace {

// The camera a view shows, named as plans name it (a layout keeps the same
// two kinds); false for a stored file's view.
bool CameraOfRequest(const ViewRequest& request, bool* hosted, std::string* camera) {
  storage::PlanCamera named;
  if (!storage::PlanService::CameraOfView(request, &named)) return false;
  *hosted = named.hosted;
  *camera = named.name;
  return true;
}

std::string KeyOf(bool hosted, const std::string& camera) { return (hosted ? "h:" : "d:") + camera; }

os::ScreenRect RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

layouts::Layout CMainWindow::CaptureLayout() {
  layouts::Layout layout;
  std::vector<CameraView*> kept;
  for (CameraView* view : views_.Snapshot()) {
    layouts::LayoutView place;
    if (kept.size() == layouts::Layout::kMaxViews ||
        !CameraOfRequest(views_.RequestOf(view), &place.hosted, &place.camera))
      continue;  // a stored file's view is not part of a layout
    place.rect = RectOf(view->Window());
    place.screen_size = view->ScreenSizeIndex();
    layout.views.push_back(place);
    kept.push_back(view);
  }
  for (size_t i = 0; i < kept.size(); ++i) {
    const auto dock = std::find(kept.begin(), kept.end(), views_.DockedTo(kept[i]));
    if (dock != kept.end()) layout.views[i].docked_to = static_cast<int>(dock - kept.begin());
  }
  for (const auto& w : walls_)
    if (layout.walls.size() < layouts::Layout::kMaxWalls) layout.walls.push_back(w->setup());
  return layout;
}

bool CMainWindow::SaveLayout(const std::string& name) {
  layouts::Layout stored;
  if (layouts::LoadLayout(name, &stored) && stored.locked) return false;
  if (!layouts::SaveLayout(name, CaptureLayout())) return false;
  current_layout_ = name;
  layouts::SaveLastLayout(name);
  RebuildLayoutMenu();
  return true;
}

bool CMainWindow::RestoreLayout(const std::string& name) {
  layouts::Layout layout;
  if (!layouts::LoadLayout(name, &layout)) return false;
  layouts::DropMissingCameras(&layout, [&](const layouts::LayoutView& v) {
    const CServerTree::Entry* e = tree_.EntryOf(tree_.FindServer(v.camera));
    return v.hosted || (e && e->server.IsCamera());
  });
  layouts::FitToMonitors(&layout, win32::WorkAreas());
  RestoreWalls(layout.walls);
  // A view already showing a camera of the layout stays and moves; the others close.
  std::vector<CameraView*> shown(layout.views.size(), nullptr);
  for (CameraView* view : views_.Snapshot()) {
    bool hosted = false;
    std::string camera;
    auto match = layout.views.end();
    if (CameraOfRequest(views_.RequestOf(view), &hosted, &camera))
      match = std::find_if(layout.views.begin(), layout.views.end(), [&](const layouts::LayoutView& v) {
        return v.hosted == hosted && v.camera == camera && !shown[size_t(&v - layout.views.data())];
      });
    if (match == layout.views.end())
      view->PostClose();
    else
      shown[size_t(match - layout.views.begin())] = view;
  }
  layout_places_.clear();
  layout_docks_.clear();  // a dock of the layout before must not catch a view opened later
  for (size_t i = 0; i < layout.views.size(); ++i) {
    layouts::LayoutView place = layout.views[i];
    // Docks are put back by the camera docked to, once both are open.
    place.docked_to = -1;
    const int dock = layout.views[i].docked_to;
    layout_docks_[KeyOf(place.hosted, place.camera)] =
        dock >= 0 ? KeyOf(layout.views[size_t(dock)].hosted, layout.views[size_t(dock)].camera) : "";
    if (shown[i]) {
      PlaceView(shown[i], place);
    } else {
      layout_places_[KeyOf(place.hosted, place.camera)] = place;
      OpenLayoutView(place);
    }
  }
  current_layout_ = name;
  layouts::SaveLastLayout(name);
  RebuildLayoutMenu();
  return true;
}

// A wall on a monitor that is gone is left out rather than laid over the
// primary, where it would hide the main window and the views.
void CMainWindow::RestoreWalls(const std::vector<wall::WallSetup>& walls) {
  const size_t monitors = win32::MonitorRects().size();
  std::vector<wall::CWallWindow*> kept;
  for (const wall::WallSetup& setup : walls) {
    if (static_cast<size_t>(setup.monitor) > monitors) {
      DebugLog("Layout : no monitor %d for its wall\n", setup.monitor);
      continue;
    }
    if (wall::CWallWindow* open = OpenWall(setup)) kept.push_back(open);
  }
  for (wall::CWallWindow* open : this->walls())
    if (std::find(kept.begin(), kept.end(), open) == kept.end()) CloseWall(open);
}

void CMainWindow::SwitchLayout(int number) {
  const std::vector<std::string> names = layouts::LayoutNames();
  if (number >= 1 && number <= static_cast<int>(names.size())) RestoreLayout(names[size_t(number - 1)]);
}

void CMainWindow::OpenLayoutView(const layouts::LayoutView& place) {
  if (place.hosted) {
    // A camera the hosting server does not list yet opens once it does.
    if (tree_.FindCamera(place.camera))
      OpenRelayView(place.camera);
    else if (std::find(pending_views_.begin(), pending_views_.end(), place.camera) == pending_views_.end())
      pending_views_.push_back(place.camera);
    return;
  }
  const CServerTree::Entry* e = tree_.EntryOf(tree_.FindServer(place.camera));
  if (!e || !e->server.IsCamera()) return;
  std::string user, password;
  if (!storage::LoadPlanLogin(place.camera, &user, &password)) {
    const settings::SavedLogin saved = settings::LoadSavedLogin(place.camera);
    user = saved.user;
    password = saved.password;
    if (user.empty() && !AskLogin(e->server, &user, &password)) return;
  }
  ConnectEntry(e->server, user, password);
}

// A view of the layout being put back takes its place, and its dock when
// the view it docks to is open.
void CMainWindow::PlaceView(CameraView* view, const layouts::LayoutView& place) {
  view->SetScreenSizeIndex(place.screen_size);
  SetWindowPos(view->Window(), nullptr, place.rect.left, place.rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const auto dock = layout_docks_.find(KeyOf(place.hosted, place.camera));
  if (dock == layout_docks_.end() || dock->second.empty()) return;
  const std::vector<CameraView*> open = views_.Snapshot();
  for (size_t i = 0; i < open.size(); ++i) {
    bool hosted = false;
    std::string camera;
    if (open[i] != view && CameraOfRequest(views_.RequestOf(open[i]), &hosted, &camera) &&
        KeyOf(hosted, camera) == dock->second)
      views_.SetDockedTo(view, static_cast<int>(i));
  }
}

void CMainWindow::ApplyLayoutPlace(const ViewRequest& request, CameraView* view) {
  bool hosted = false;
  std::string camera;
  if (!CameraOfRequest(request, &hosted, &camera)) return;
  const auto place = layout_places_.find(KeyOf(hosted, camera));
  if (place == layout_places_.end()) return;
  PlaceView(view, place->second);
  layout_places_.erase(place);
}

void CMainWindow::SaveLayoutAs() {
  layouts::CLayoutNameDialog dialog(setup_.instance, "Save Layout As", current_layout_);
  if (dialog.DoModal(hwnd()) != IDOK) return;
  if (!SaveLayout(dialog.name()))
    win32::ShowMessageBox(hwnd(), "The layout " + dialog.name() + " is locked: unlock it to save over it.",
                          "Save Layout As");
}

void CMainWindow::RenameCurrentLayout() {
  layouts::Layout layout;
  if (!layouts::LoadLayout(current_layout_, &layout)) return;
  layouts::CLayoutNameDialog dialog(setup_.instance, "Rename Layout", current_layout_);
  if (dialog.DoModal(hwnd()) != IDOK || dialog.name() == current_layout_) return;
  layouts::Layout taken;
  if (layouts::LoadLayout(dialog.name(), &taken)) {
    win32::ShowMessageBox(hwnd(), "A layout is already called " + dialog.name() + ".", "Rename Layout");
    return;
  }
  if (!layouts::SaveLayout(dialog.name(), layout)) return;
  layouts::DeleteLayout(current_layout_);
  current_layout_ = dialog.name();
  layouts::SaveLastLayout(current_layout_);
  RebuildLayoutMenu();
}

bool CMainWindow::OnLayoutCommand(UINT id) {
  layouts::Layout layout;
  switch (id) {
    case ID_SAVE_LAYOUT:
      SaveLayoutAs();
      return true;
    case ID_RENAME_LAYOUT:
      RenameCurrentLayout();
      return true;
    case ID_DELETE_LAYOUT:
      layouts::DeleteLayout(current_layout_);
      current_layout_.clear();
      layouts::SaveLastLayout("");
      RebuildLayoutMenu();
      return true;
    case ID_LOCK_LAYOUT:
      if (layouts::LoadLayout(current_layout_, &layout)) {
        layout.locked = !layout.locked;
        layouts::SaveLayout(current_layout_, layout);
        RebuildLayoutMenu();
      }
      return true;
    default:
      break;
  }
  if (id < ID_LAYOUT_FIRST || id >= ID_LAYOUT_FIRST + 16 * ID_LAYOUT_COUNT) return false;
  SwitchLayout(static_cast<int>((id - ID_LAYOUT_FIRST) / 16) + 1);
  return true;
}

void CMainWindow::RebuildLayoutMenu() {
  if (!layouts_menu_) return;
  while (GetMenuItemCount(layouts_menu_) > 0) DeleteMenu(layouts_menu_, 0, MF_BYPOSITION);
  const std::vector<std::string> names = layouts::LayoutNames();
  for (size_t i = 0; i < names.size() && i < ID_LAYOUT_COUNT; ++i) {
    std::string label = names[i];
    if (i < 9) label += "\tCtrl+" + std::to_string(i + 1);
    AppendMenuW(layouts_menu_, MF_STRING | (names[i] == current_layout_ ? MF_CHECKED : 0),
                ID_LAYOUT_FIRST + 16 * i, win32::Widen(label).c_str());
  }
  layouts::Layout current;
  const bool has_current = layouts::LoadLayout(current_layout_, &current);
  const UINT enabled = has_current ? MF_ENABLED : MF_GRAYED;
  if (!names.empty()) AppendMenuW(layouts_menu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(layouts_menu_, MF_STRING | enabled, ID_RENAME_LAYOUT, L"Rename...");
  AppendMenuW(layouts_menu_, MF_STRING | enabled, ID_DELETE_LAYOUT, L"Delete");
  AppendMenuW(layouts_menu_, MF_STRING | enabled | (current.locked ? MF_CHECKED : 0), ID_LOCK_LAYOUT, L"Locked");
}

void CMainWindow::RestoreStartLayout() {
  const StartOptions& o = setup_.options;
  // Views named on the command line are the arrangement asked for.
  if (o.layout.empty() && (!o.views.empty() || !o.servers.empty())) return;
  const std::string name = o.layout.empty() ? layouts::LastLayout() : o.layout;
  if (!name.empty() && !RestoreLayout(name)) DebugLog("Layout : no stored layout %s\n", name.c_str());
}

}  // namespace app
