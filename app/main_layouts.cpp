#include "app/main_layouts.h"

#include <algorithm>

#include "app/layouts/win32/layout_name_dialog.h"
#include "app/layouts/win32/layout_registry.h"
#include "app/main_walls.h"
#include "app/resource.h"
#include "app/server_tree.h"
#include "app/storage/win32/plan_service.h"
#include "app/view_list.h"
#include "os/debug_log.h"
#include "os/win32/message_box.h"
#include "os/win32/monitors.h"
#include "os/win32/text.h"

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

layouts::Layout MainLayouts::Capture() {
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
  for (const wall::CWallWindow* w : walls_.all())
    if (layout.walls.size() < layouts::Layout::kMaxWalls) layout.walls.push_back(w->setup());
  return layout;
}

bool MainLayouts::Save(const std::string& name) {
  layouts::Layout stored;
  if (layouts::LoadLayout(name, &stored) && stored.locked) return false;
  if (!layouts::SaveLayout(name, Capture())) return false;
  current_ = name;
  layouts::SaveLastLayout(name);
  RebuildMenu();
  return true;
}

bool MainLayouts::Restore(const std::string& name) {
  layouts::Layout layout;
  if (!layouts::LoadLayout(name, &layout)) return false;
  layouts::DropMissingCameras(&layout, [&](const layouts::LayoutView& v) {
    const CServerTree::Entry* e = tree_.EntryOf(tree_.FindServer(v.camera));
    return v.hosted || (e && e->server.IsCamera());
  });
  layouts::FitToMonitors(&layout, win32::WorkAreas());
  walls_.Restore(layout.walls);
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
  places_.clear();
  docks_.clear();  // a dock of the layout before must not catch a view opened later
  for (size_t i = 0; i < layout.views.size(); ++i) {
    layouts::LayoutView place = layout.views[i];
    // Docks are put back by the camera docked to, once both are open.
    place.docked_to = -1;
    const int dock = layout.views[i].docked_to;
    docks_[KeyOf(place.hosted, place.camera)] =
        dock >= 0 ? KeyOf(layout.views[size_t(dock)].hosted, layout.views[size_t(dock)].camera) : "";
    if (shown[i]) {
      PlaceView(shown[i], place);
    } else {
      places_[KeyOf(place.hosted, place.camera)] = place;
      owner_.OpenLayoutView(place);
    }
  }
  current_ = name;
  layouts::SaveLastLayout(name);
  RebuildMenu();
  return true;
}

void MainLayouts::Switch(int number) {
  const std::vector<std::string> names = layouts::LayoutNames();
  if (number >= 1 && number <= static_cast<int>(names.size())) Restore(names[size_t(number - 1)]);
}

// A view of the layout being put back takes its place, and its dock when
// the view it docks to is open.
void MainLayouts::PlaceView(CameraView* view, const layouts::LayoutView& place) {
  view->SetScreenSizeIndex(place.screen_size);
  SetWindowPos(view->Window(), nullptr, place.rect.left, place.rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const auto dock = docks_.find(KeyOf(place.hosted, place.camera));
  if (dock == docks_.end() || dock->second.empty()) return;
  const std::vector<CameraView*> open = views_.Snapshot();
  for (size_t i = 0; i < open.size(); ++i) {
    bool hosted = false;
    std::string camera;
    if (open[i] != view && CameraOfRequest(views_.RequestOf(open[i]), &hosted, &camera) &&
        KeyOf(hosted, camera) == dock->second)
      views_.SetDockedTo(view, static_cast<int>(i));
  }
}

void MainLayouts::ApplyPlace(const ViewRequest& request, CameraView* view) {
  bool hosted = false;
  std::string camera;
  if (!CameraOfRequest(request, &hosted, &camera)) return;
  const auto place = places_.find(KeyOf(hosted, camera));
  if (place == places_.end()) return;
  PlaceView(view, place->second);
  places_.erase(place);
}

void MainLayouts::SaveAs() {
  layouts::CLayoutNameDialog dialog(instance_, "Save Layout As", current_);
  if (dialog.DoModal(owner_.LayoutsParent()) != IDOK) return;
  if (!Save(dialog.name()))
    win32::ShowMessageBox(owner_.LayoutsParent(), "The layout " + dialog.name() + " is locked: unlock it to save over it.",
                          "Save Layout As");
}

void MainLayouts::RenameCurrent() {
  layouts::Layout layout;
  if (!layouts::LoadLayout(current_, &layout)) return;
  layouts::CLayoutNameDialog dialog(instance_, "Rename Layout", current_);
  if (dialog.DoModal(owner_.LayoutsParent()) != IDOK || dialog.name() == current_) return;
  layouts::Layout taken;
  if (layouts::LoadLayout(dialog.name(), &taken)) {
    win32::ShowMessageBox(owner_.LayoutsParent(), "A layout is already called " + dialog.name() + ".", "Rename Layout");
    return;
  }
  if (!layouts::SaveLayout(dialog.name(), layout)) return;
  layouts::DeleteLayout(current_);
  current_ = dialog.name();
  layouts::SaveLastLayout(current_);
  RebuildMenu();
}

bool MainLayouts::OnCommand(UINT id) {
  layouts::Layout layout;
  switch (id) {
    case ID_SAVE_LAYOUT:
      SaveAs();
      return true;
    case ID_RENAME_LAYOUT:
      RenameCurrent();
      return true;
    case ID_DELETE_LAYOUT:
      layouts::DeleteLayout(current_);
      current_.clear();
      layouts::SaveLastLayout("");
      RebuildMenu();
      return true;
    case ID_LOCK_LAYOUT:
      if (layouts::LoadLayout(current_, &layout)) {
        layout.locked = !layout.locked;
        layouts::SaveLayout(current_, layout);
        RebuildMenu();
      }
      return true;
    default:
      break;
  }
  if (id < ID_LAYOUT_FIRST || id >= ID_LAYOUT_FIRST + 16 * ID_LAYOUT_COUNT) return false;
  Switch(static_cast<int>((id - ID_LAYOUT_FIRST) / 16) + 1);
  return true;
}

void MainLayouts::RebuildMenu() {
  if (!menu_) return;
  while (GetMenuItemCount(menu_) > 0) DeleteMenu(menu_, 0, MF_BYPOSITION);
  const std::vector<std::string> names = layouts::LayoutNames();
  for (size_t i = 0; i < names.size() && i < ID_LAYOUT_COUNT; ++i) {
    std::string label = names[i];
    if (i < 9) label += "\tCtrl+" + std::to_string(i + 1);
    AppendMenuW(menu_, MF_STRING | (names[i] == current_ ? MF_CHECKED : 0),
                ID_LAYOUT_FIRST + 16 * i, win32::Widen(label).c_str());
  }
  layouts::Layout current;
  const bool has_current = layouts::LoadLayout(current_, &current);
  const UINT enabled = has_current ? MF_ENABLED : MF_GRAYED;
  if (!names.empty()) AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu_, MF_STRING | enabled, ID_RENAME_LAYOUT, L"Rename...");
  AppendMenuW(menu_, MF_STRING | enabled, ID_DELETE_LAYOUT, L"Delete");
  AppendMenuW(menu_, MF_STRING | enabled | (current.locked ? MF_CHECKED : 0), ID_LOCK_LAYOUT, L"Locked");
}

void MainLayouts::RestoreAtStart(const StartOptions& o) {
  // Views named on the command line are the arrangement asked for.
  if (o.layout.empty() && (!o.views.empty() || !o.servers.empty())) return;
  const std::string name = o.layout.empty() ? layouts::LastLayout() : o.layout;
  if (!name.empty() && !Restore(name)) DebugLog("Layout : no stored layout %s\n", name.c_str());
}

void MainLayouts::SetMenu(HMENU menu) {
  menu_ = menu;
  RebuildMenu();
}

}  // namespace app
