#include "app/docking.h"

#include <algorithm>
#include <cstdlib>

namespace app {
namespace {

// The best correction along one axis so far: the smallest shift wins.
struct AxisSnap {
  int shift = 0;
  int window = kNotDocked;
  bool found = false;

  void Offer(int from, int to, int distance, int window_index) {
    const int shift_needed = to - from;
    if (std::abs(shift_needed) > distance) return;
    if (found && std::abs(shift_needed) >= std::abs(shift)) return;
    shift = shift_needed;
    window = window_index;
    found = true;
  }
};

// Whether the spans [a0, a1) and [b0, b1) overlap or come within `distance`.
bool Near(int a0, int a1, int b0, int b1, int distance) { return a0 <= b1 + distance && b0 <= a1 + distance; }

void OfferEdges(AxisSnap* snap, int low, int high, int other_low, int other_high, int distance, int window) {
  snap->Offer(low, other_high, distance, window);   // meets the other's far edge from outside
  snap->Offer(high, other_low, distance, window);   // meets the other's near edge from outside
  snap->Offer(low, other_low, distance, window);    // aligned on the near side
  snap->Offer(high, other_high, distance, window);  // aligned on the far side
}

void OfferScreen(AxisSnap* snap, int low, int high, int screen_low, int screen_high, int distance) {
  snap->Offer(low, screen_low, distance, kNotDocked);
  snap->Offer(high, screen_high, distance, kNotDocked);
}

}  // namespace

SnapResult SnapWhileMoving(const ScreenRect& proposed, const std::vector<DockCandidate>& others,
                           const ScreenRect& screen, int distance) {
  AxisSnap x, y;
  for (const DockCandidate& other : others) {
    const ScreenRect& o = other.rect;
    if (Near(proposed.top, proposed.bottom, o.top, o.bottom, distance))
      OfferEdges(&x, proposed.left, proposed.right, o.left, o.right, distance, other.index);
    if (Near(proposed.left, proposed.right, o.left, o.right, distance))
      OfferEdges(&y, proposed.top, proposed.bottom, o.top, o.bottom, distance, other.index);
  }
  if (!x.found) OfferScreen(&x, proposed.left, proposed.right, screen.left, screen.right, distance);
  if (!y.found) OfferScreen(&y, proposed.top, proposed.bottom, screen.top, screen.bottom, distance);

  SnapResult result{proposed.Offset(x.shift, y.shift), kNotDocked};
  // Docked to the window it met; where it met two, to the one met along x.
  result.docked_to = x.window != kNotDocked ? x.window : y.window;
  return result;
}

std::vector<int> Followers(int moved, const std::vector<int>& docked_to) {
  std::vector<int> order;
  std::vector<bool> taken(docked_to.size(), false);
  if (moved >= 0 && moved < static_cast<int>(taken.size())) taken[moved] = true;
  // Breadth first from the moved window: each pass adds the windows docked to
  // one already in the list, so a window never moves before its target.
  std::vector<int> frontier{moved};
  while (!frontier.empty()) {
    std::vector<int> next;
    for (int target : frontier) {
      for (int i = 0; i < static_cast<int>(docked_to.size()); ++i) {
        if (taken[i] || docked_to[i] != target) continue;
        taken[i] = true;
        order.push_back(i);
        next.push_back(i);
      }
    }
    frontier.swap(next);
  }
  return order;
}

ScreenRect KeepOnAMonitor(const ScreenRect& window, const std::vector<ScreenRect>& work_areas) {
  const int need_x = std::min(kGrabSize, window.width()), need_y = std::min(kGrabSize, window.height());
  const ScreenRect* nearest = nullptr;
  long long nearest_distance = 0;
  const long long cx = (static_cast<long long>(window.left) + window.right) / 2;
  const long long cy = (static_cast<long long>(window.top) + window.bottom) / 2;
  for (const ScreenRect& area : work_areas) {
    const int overlap_x = std::min(window.right, area.right) - std::max(window.left, area.left);
    const int overlap_y = std::min(window.bottom, area.bottom) - std::max(window.top, area.top);
    if (overlap_x >= need_x && overlap_y >= need_y) return window;
    // How far the window's centre is from the area (0 inside it), squared.
    const long long dx = cx < area.left ? area.left - cx : cx > area.right ? cx - area.right : 0;
    const long long dy = cy < area.top ? area.top - cy : cy > area.bottom ? cy - area.bottom : 0;
    if (!nearest || dx * dx + dy * dy < nearest_distance) {
      nearest = &area;
      nearest_distance = dx * dx + dy * dy;
    }
  }
  if (!nearest) return window;
  auto fit = [](int at, int size, int low, int high) { return size > high - low ? low : std::clamp(at, low, high - size); };
  const int left = fit(window.left, window.width(), nearest->left, nearest->right);
  const int top = fit(window.top, window.height(), nearest->top, nearest->bottom);
  return window.Offset(left - window.left, top - window.top);
}

}  // namespace app
