#pragma once
// The open camera views, owned here and nowhere else: each with what it was
// opened for, the view it is docked to (it follows that one when it moves)
// and whether it has been placed in the current "Sort Window" pass. While a
// view is listed, a key hook on the window's thread hands it its key presses
// (ViewKeyHook). Guarded by its own mutex, taken while the list is changed,
// copied or walked; under it a view is only asked which windows are its
// own (Window, OwnsWindow), never called to act.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/docking.h"
#include "app/view_host.h"

namespace app {

class ViewKeyHook;

// Another listed view as a moving or placing view sees it. Indexes are
// positions in the list; they name a view only until the list changes.
struct OtherView {
  int index = kNotDocked;
  CameraView* view = nullptr;
  ScreenRect rect;
  int docked_to = kNotDocked;  // the index of the view it is docked to
  bool placed = false;         // placed in the current "Sort Window" pass
};

class ViewList {
 public:
  ViewList();
  ~ViewList();
  ViewList(const ViewList&) = delete;
  ViewList& operator=(const ViewList&) = delete;

  void Add(std::unique_ptr<CameraView> view, const ViewRequest& request);
  // Takes the view off the list and hands it back (null when it is not on
  // it); views docked to it are undocked.
  std::unique_ptr<CameraView> Remove(const CameraView* view);
  // Every view, in the order they were opened.
  std::vector<CameraView*> Snapshot() const;
  std::vector<std::unique_ptr<CameraView>> TakeAll();
  size_t size() const;
  bool empty() const { return size() == 0; }

  // What the view was opened for (an empty request when it is not listed).
  ViewRequest RequestOf(const CameraView* view) const;
  bool HasRelayView(const std::string& camera_id) const;
  // The view whose window is `window` or holds it (its full-screen window
  // too); null for other windows, a view's save dialog among them.
  CameraView* ViewOf(HWND window) const;

  // The visible views other than `except`, with where they are and whom
  // they are docked to.
  std::vector<OtherView> OtherViews(const CameraView* except) const;
  // The view now meets the one at `index` (kNotDocked: none).
  void SetDockedTo(const CameraView* view, int index);
  // The view `view` is docked to, or null.
  CameraView* DockedTo(const CameraView* view) const;
  // The views that move with `view` (docked to it, directly or through
  // others), in the order to move them.
  std::vector<CameraView*> Followers(const CameraView* view) const;
  // "Sort Window": every view undocked and none placed; each view then
  // places itself among those placed before it (MarkPlaced).
  void BeginSortPass();
  void MarkPlaced(const CameraView* view);

 private:
  struct Entry {
    std::unique_ptr<CameraView> view;
    ViewRequest request;
    CameraView* docked_to = nullptr;
    bool placed = false;
  };
  int IndexOf(const CameraView* view) const;  // mutex held
  // The key hook runs while at least one view is listed.
  void UpdateKeyHook();

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  std::unique_ptr<ViewKeyHook> key_hook_;  // window thread only
};

}  // namespace app
