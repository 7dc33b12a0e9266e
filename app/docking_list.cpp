#include "app/docking_list.h"

#include "os/win32/monitors.h"

#include <algorithm>

namespace app {

int DockingList::Add(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  windows_.push_back(window);
  docked_to_.push_back(kNotDocked);
  last_.push_back(r);
  return static_cast<int>(windows_.size()) - 1;
}

bool DockingList::Has(int index) const { return index >= 0 && static_cast<size_t>(index) < windows_.size(); }

void DockingList::OnPositionChanging(int index, WINDOWPOS* pos, bool dragged) {
  if (!Has(index) || moving_followers_ || !dragged || (pos->flags & SWP_NOMOVE)) return;
  RECT now{};
  GetWindowRect(windows_[static_cast<size_t>(index)], &now);
  const int width = (pos->flags & SWP_NOSIZE) ? now.right - now.left : pos->cx;
  const int height = (pos->flags & SWP_NOSIZE) ? now.bottom - now.top : pos->cy;
  // The windows docked to this one move with it: they are not in the way.
  const std::vector<int> followers = Followers(index, docked_to_);
  std::vector<DockCandidate> others;
  for (size_t i = 0; i < windows_.size(); ++i) {
    const bool follows = std::find(followers.begin(), followers.end(), static_cast<int>(i)) != followers.end();
    if (static_cast<int>(i) == index || follows || !IsWindowVisible(windows_[i])) continue;
    RECT r{};
    GetWindowRect(windows_[i], &r);
    others.push_back({static_cast<int>(i), {r.left, r.top, r.right, r.bottom}});
  }
  const ScreenRect screen = win32::MonitorOf(windows_[static_cast<size_t>(index)]);
  const SnapResult snap = SnapWhileMoving({pos->x, pos->y, pos->x + width, pos->y + height}, others, screen);
  pos->x = snap.rect.left;
  pos->y = snap.rect.top;
  docked_to_[static_cast<size_t>(index)] = snap.docked_to;
}

void DockingList::OnPositionChanged(int index) {
  if (!Has(index)) return;
  RECT now{};
  HWND window = windows_[static_cast<size_t>(index)];
  GetWindowRect(window, &now);
  RECT& last = last_[static_cast<size_t>(index)];
  const int dx = now.left - last.left, dy = now.top - last.top;
  last = now;
  if (moving_followers_ || (dx == 0 && dy == 0)) return;
  moving_followers_ = true;
  for (int follower : Followers(index, docked_to_)) {
    HWND w = windows_[static_cast<size_t>(follower)];
    RECT r{};
    GetWindowRect(w, &r);
    SetWindowPos(w, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(w, &last_[static_cast<size_t>(follower)]);
  }
  moving_followers_ = false;
}

}  // namespace app
