#pragma once
// A video wall: a borderless window that fills one monitor with a grid of
// camera cells. A double click fills the wall with one cell and back; each
// cell's menu opens its camera in a view, empties the cell, changes the
// grid or closes the wall; a camera dropped on a cell shows there. Cells
// off the wall (hidden behind a filled one) draw nothing.
//
// The window thread only.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/wall/tour.h"
#include "app/wall/wall_setup.h"
#include "app/wall/win32/wall_cell.h"
#include "os/screen_rect.h"

namespace app::wall {

class CWallWindow;

// What a wall asks of the program.
class WallWindowOwner {
 public:
  virtual ~WallWindowOwner() = default;
  virtual std::unique_ptr<storage::PlanLink> OpenWallLink(const WallCamera& camera, storage::ShownLinkOptions options,
                                                          std::string* why) = 0;
  virtual void OpenViewOf(const WallCamera& camera) = 0;
  // The wall's cameras or grid changed (a layout saved now has them).
  virtual void WallChanged(CWallWindow* wall) = 0;
  // The user closed the wall: the owner destroys it later (from a posted
  // message), never inside this call.
  virtual void WallClosing(CWallWindow* wall) = 0;
  // Input in the wall (a tour waits) and motion in one of its cells.
  virtual void WallUserActive(CWallWindow*) {}
  virtual void WallMotion(CWallWindow*, int /*cell*/, bool /*started*/) {}
  // Tours: the cameras a cell may tour, the tour of the saved layouts (the
  // program's, not a wall's: it may close this wall), a name to save a tour under.
  virtual std::vector<WallCamera> TourCameras() { return {}; }
  virtual void ToggleLayoutTour() {}
  virtual void RunLayoutTour(const Tour& /*tour*/) {}
  virtual bool LayoutTourRunning() const { return false; }
  virtual bool AskTourName(std::string* /*name*/) { return false; }
  // The camera's own items for a cell's menu (its recording plan), with
  // commands above the wall's own, and what choosing one does.
  struct CameraMenuItem {
    UINT command = 0;
    std::string label;
    bool checked = false;
  };
  virtual std::vector<CameraMenuItem> CameraMenuItems(const WallCamera& /*camera*/) { return {}; }
  virtual void CameraMenuCommand(const WallCamera& /*camera*/, UINT /*command*/) {}
};

class CWallWindow : private WallCellOwner {
 public:
  // Its window's messages (win32::ObjectWindowProcedure).
  LRESULT WindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // `clock` gives milliseconds that never go back (tests pass their own).
  CWallWindow(WallWindowOwner& owner, WallSetup setup, std::function<int64_t()> clock = nullptr);
  ~CWallWindow() override;
  CWallWindow(const CWallWindow&) = delete;
  CWallWindow& operator=(const CWallWindow&) = delete;

  // Fills the monitor the setup names (the primary when it is gone) from
  // `monitors` (whole rectangles, the primary first) and links the cells.
  bool Open(const std::vector<os::ScreenRect>& monitors);
  HWND hwnd() const { return hwnd_; }
  const WallSetup& setup() const { return setup_; }
  // Once a second: cells that could not link try again now and then, and
  // the tour moves on.
  void Tick();
  // A camera tour of its cell: the stored tour `name` (empty: none), or an
  // unsaved one. Layout tours are refused (false): the program runs those.
  bool RunTour(const std::string& name);
  bool RunTour(const Tour& tour);
  void StopTour();
  const TourClock* tour() const { return tour_.get(); }
  // The monitor's rectangle the wall fills.
  const os::ScreenRect& area() const { return area_; }

  void SetPattern(const WallPattern& pattern);
  void SetCamera(int cell, const WallCamera& camera);
  // The cell under a screen point, or -1.
  int CellAt(POINT screen) const;
  // One cell fills the wall (-1: the grid again).
  void Zoom(int cell);
  int zoomed() const { return zoomed_; }
  const WallCell& cell(int index) const { return *cells_[static_cast<size_t>(index)]; }
  int cell_count() const { return static_cast<int>(cells_.size()); }

 private:
  void BuildCells();
  void PlaceCells();
  void ShowTour(const TourShow& show);
  void OnTourMenu(UINT chosen, int cell);
  HMENU TourMenu() const;

  // WallCellOwner
  std::unique_ptr<storage::PlanLink> OpenCellLink(const WallCamera& camera, storage::ShownLinkOptions options,
                                                  std::string* why) override {
    return owner_.OpenWallLink(camera, std::move(options), why);
  }
  void CellDoubleClicked(int cell) override { Zoom(zoomed_ == cell ? -1 : cell); }
  void CellMenu(int cell, POINT screen) override;
  void UserActive() override;
  void CellMotion(int cell, bool started) override;

  WallWindowOwner& owner_;
  WallSetup setup_;
  std::function<int64_t()> clock_;
  os::ScreenRect area_;
  bool on_primary_ = true;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<WallCell>> cells_;
  int zoomed_ = -1;
  int ticks_ = 0;
  std::unique_ptr<TourClock> tour_;
  // What the big cell showed before a camera with motion took it.
  bool motion_in_big_cell_ = false;
  WallCamera big_cell_before_;
};

}  // namespace app::wall
