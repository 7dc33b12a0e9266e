#pragma once
// The main window's list of open camera views, each with what it was opened
// for and the view it is docked to. Guarded by its own mutex, taken while
// the list is changed, copied or walked; no call into a view is made under it.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/view_host.h"

namespace app {

class ViewList {
 public:
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

  // Docking among views. Indexes are positions in the list as OtherViews
  // gave them out; they name a view only until the list changes.
  std::vector<DockCandidate> OtherViews(const CameraView* except) const;
  void SetDockedTo(const CameraView* view, int index);
  std::vector<CameraView*> Followers(const CameraView* view) const;
  void UndockAll();

 private:
  struct Entry {
    std::unique_ptr<CameraView> view;
    ViewRequest request;
    const CameraView* docked_to = nullptr;
  };
  int IndexOf(const CameraView* view) const;  // mutex held

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace app
