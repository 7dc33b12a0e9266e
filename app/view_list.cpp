#include "app/view_list.h"

#include "app/view_key_hook.h"

namespace app {

ViewList::ViewList() = default;

ViewList::~ViewList() {
  TakeAll().clear();
}

void ViewList::Add(std::unique_ptr<CameraView> view, const ViewRequest& request) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back({std::move(view), request, nullptr, false});
  }
  UpdateKeyHook();
}

void ViewList::UpdateKeyHook() {
  if (empty())
    key_hook_.reset();
  else if (!key_hook_)
    key_hook_ = std::make_unique<ViewKeyHook>(*this);
}

std::unique_ptr<CameraView> ViewList::Remove(const CameraView* view) {
  std::unique_ptr<CameraView> owned;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const int i = IndexOf(view);
    if (i < 0) return nullptr;
    owned = std::move(entries_[static_cast<size_t>(i)].view);
    entries_.erase(entries_.begin() + i);
    for (Entry& e : entries_)
      if (e.docked_to == view) e.docked_to = nullptr;
  }
  UpdateKeyHook();
  return owned;
}

std::vector<CameraView*> ViewList::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CameraView*> views;
  for (const Entry& e : entries_) views.push_back(e.view.get());
  return views;
}

std::vector<std::unique_ptr<CameraView>> ViewList::TakeAll() {
  std::vector<std::unique_ptr<CameraView>> views;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& e : entries_) views.push_back(std::move(e.view));
    entries_.clear();
  }
  UpdateKeyHook();
  return views;
}

size_t ViewList::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

int ViewList::IndexOf(const CameraView* view) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].view.get() == view) return static_cast<int>(i);
  return -1;
}

ViewRequest ViewList::RequestOf(const CameraView* view) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int i = IndexOf(view);
  return i < 0 ? ViewRequest{} : entries_[static_cast<size_t>(i)].request;
}

bool ViewList::HasRelayView(const std::string& camera_id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Entry& e : entries_)
    if (e.request.kind == ViewRequest::Kind::kRelay && e.request.camera_id == camera_id) return true;
  return false;
}

CameraView* ViewList::ViewOf(HWND window) const {
  HWND root = GetAncestor(window, GA_ROOT);
  if (!root) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Entry& e : entries_)
    if (e.view->OwnsWindow(root)) return e.view.get();
  return nullptr;
}

std::vector<OtherView> ViewList::OtherViews(const CameraView* except) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<OtherView> others;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (e.view.get() == except || !IsWindowVisible(e.view->Window())) continue;
    RECT r{};
    GetWindowRect(e.view->Window(), &r);
    const int target = e.docked_to ? IndexOf(e.docked_to) : -1;
    others.push_back({static_cast<int>(i), e.view.get(), {r.left, r.top, r.right, r.bottom},
                      target < 0 ? kNotDocked : target, e.placed});
  }
  return others;
}

void ViewList::SetDockedTo(const CameraView* view, int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int i = IndexOf(view);
  if (i < 0) return;
  const bool valid = index >= 0 && static_cast<size_t>(index) < entries_.size() && index != i;
  entries_[static_cast<size_t>(i)].docked_to = valid ? entries_[static_cast<size_t>(index)].view.get() : nullptr;
}

CameraView* ViewList::DockedTo(const CameraView* view) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int i = IndexOf(view);
  return i < 0 ? nullptr : entries_[static_cast<size_t>(i)].docked_to;
}

std::vector<CameraView*> ViewList::Followers(const CameraView* view) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int moved = IndexOf(view);
  if (moved < 0) return {};
  std::vector<int> docked_to;
  for (const Entry& e : entries_) {
    const int target = e.docked_to ? IndexOf(e.docked_to) : -1;
    docked_to.push_back(target < 0 ? kNotDocked : target);
  }
  std::vector<CameraView*> followers;
  for (int i : app::Followers(moved, docked_to)) followers.push_back(entries_[static_cast<size_t>(i)].view.get());
  return followers;
}

void ViewList::BeginSortPass() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (Entry& e : entries_) {
    e.docked_to = nullptr;
    e.placed = false;
  }
}

void ViewList::MarkPlaced(const CameraView* view) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int i = IndexOf(view);
  if (i >= 0) entries_[static_cast<size_t>(i)].placed = true;
}

}  // namespace app
