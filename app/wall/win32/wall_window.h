#pragma once
// A video wall: a borderless window that fills one monitor with a grid of
// camera cells. A double click fills the wall with one cell and back; each
// cell's menu opens its camera in a view, empties the cell, changes the
// grid or closes the wall; a camera dropped on a cell shows there. Cells
// off the wall (hidden behind a filled one) draw nothing.
//
// The window thread only.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

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
};

class CWallWindow : private WallCellOwner {
 public:
  CWallWindow(WallWindowOwner& owner, WallSetup setup);
  ~CWallWindow() override;
  CWallWindow(const CWallWindow&) = delete;
  CWallWindow& operator=(const CWallWindow&) = delete;

  // Fills the monitor the setup names (the primary when it is gone) from
  // `monitors` (whole rectangles, the primary first) and links the cells.
  bool Open(const std::vector<os::ScreenRect>& monitors);
  HWND hwnd() const { return hwnd_; }
  const WallSetup& setup() const { return setup_; }
  // Once a second: cells that could not link try again now and then.
  void Tick();
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
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void BuildCells();
  void PlaceCells();

  // WallCellOwner
  std::unique_ptr<storage::PlanLink> OpenCellLink(const WallCamera& camera, storage::ShownLinkOptions options,
                                                  std::string* why) override {
    return owner_.OpenWallLink(camera, std::move(options), why);
  }
  void CellDoubleClicked(int cell) override { Zoom(zoomed_ == cell ? -1 : cell); }
  void CellMenu(int cell, POINT screen) override;
  void UserActive() override { owner_.WallUserActive(this); }
  void CellMotion(int cell, bool started) override { owner_.WallMotion(this, cell, started); }

  WallWindowOwner& owner_;
  WallSetup setup_;
  os::ScreenRect area_;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<WallCell>> cells_;
  int zoomed_ = -1;
  int ticks_ = 0;
};

}  // namespace app::wall
