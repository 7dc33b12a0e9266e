#pragma once
// The program's layouts: the open views and walls saved under a name, put
// back from the main window's "Layouts" menu, with Ctrl+1 to Ctrl+9 and at
// start, on the monitors present now. A view of a camera the layout shows
// stays and moves; the others close; views that open later (a camera the
// hosting server lists later) take their places when they come. Windows
// only; called on the main window's thread.
#include <windows.h>

#include <map>
#include <string>

#include "app/layouts/layout.h"
#include "app/start_options.h"

namespace app {

class CServerTree;
class CameraView;
class MainWalls;
class ViewList;
struct ViewRequest;

class MainLayoutsOwner {
 public:
  virtual ~MainLayoutsOwner() = default;
  // The window that parents the layouts' dialogs.
  virtual HWND LayoutsParent() const = 0;
  // Opens a view of the layout's camera (it takes its place when it comes).
  virtual void OpenLayoutView(const layouts::LayoutView& place) = 0;
};

class MainLayouts {
 public:
  MainLayouts(HINSTANCE instance, ViewList& views, CServerTree& tree, MainWalls& walls, MainLayoutsOwner& owner)
      : instance_(instance), views_(views), tree_(tree), walls_(walls), owner_(owner) {}

  // Saves the open views and walls under `name`; false when a locked layout has it.
  bool Save(const std::string& name);
  // Puts the views and walls as the stored layout has them; false when there is none.
  bool Restore(const std::string& name);
  // The saved layout of that number (1 to 9), if there is one.
  void Switch(int number);
  // At start: the --layout layout, else the last one used, unless views
  // were named on the command line.
  void RestoreAtStart(const StartOptions& options);
  // A view just opened: its place in the layout being put back, if any.
  void ApplyPlace(const ViewRequest& request, CameraView* view);
  // The system menu's "Layouts" submenu, filled and kept up to date.
  void SetMenu(HMENU menu);
  // The menu's commands; false for any other.
  bool OnCommand(UINT id);
  const std::string& current() const { return current_; }

 private:
  layouts::Layout Capture();
  void PlaceView(CameraView* view, const layouts::LayoutView& place);
  void SaveAs();
  void RenameCurrent();
  void RebuildMenu();

  HINSTANCE instance_;
  ViewList& views_;
  CServerTree& tree_;
  MainWalls& walls_;
  MainLayoutsOwner& owner_;
  std::string current_;  // the layout last saved or put back
  // Where views of the layout being put back go when they open (by the camera's "h:"/"d:" key).
  std::map<std::string, layouts::LayoutView> places_;
  std::map<std::string, std::string> docks_;  // by camera key: the key of the view it docks to
  HMENU menu_ = nullptr;  // the system menu's "Layouts" submenu
};

}  // namespace app
