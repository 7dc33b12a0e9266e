#include "app/view_list.h"

namespace app {

void ViewList::Add(std::unique_ptr<CameraView> view, const ViewRequest& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.push_back({std::move(view), request, nullptr});
}

std::unique_ptr<CameraView> ViewList::Remove(const CameraView* view) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int i = IndexOf(view);
  if (i < 0) return nullptr;
  std::unique_ptr<CameraView> owned = std::move(entries_[static_cast<size_t>(i)].view);
  entries_.erase(entries_.begin() + i);
  for (Entry& e : entries_)
    if (e.docked_to == view) e.docked_to = nullptr;
  return owned;
}

std::vector<CameraView*> ViewList::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CameraView*> views;
  for (const Entry& e : entries_) views.push_back(e.view.get());
  return views;
}

std::vector<std::unique_ptr<CameraView>> ViewList::TakeAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::unique_ptr<CameraView>> views;
  for (Entry& e : entries_) views.push_back(std::move(e.view));
  entries_.clear();
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

std::vector<DockCandidate> ViewList::OtherViews(const CameraView* except) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<DockCandidate> others;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const CameraView* v = entries_[i].view.get();
    if (v == except || !IsWindowVisible(v->Window())) continue;
    RECT r{};
    GetWindowRect(v->Window(), &r);
    others.push_back({static_cast<int>(i), {r.left, r.top, r.right, r.bottom}});
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

std::vector<CameraView*> ViewList::Followers(const CameraView* view) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int moved = IndexOf(view);
  if (moved < 0) return {};
  std::vector<int> docked_to;
  for (const Entry& e : entries_) docked_to.push_back(e.docked_to ? IndexOf(e.docked_to) : kNotDocked);
  std::vector<CameraView*> followers;
  for (int i : app::Followers(moved, docked_to)) followers.push_back(entries_[static_cast<size_t>(i)].view.get());
  return followers;
}

void ViewList::UndockAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (Entry& e : entries_) e.docked_to = nullptr;
}

}  // namespace app
