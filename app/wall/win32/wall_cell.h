#pragma once
// One cell of a video wall: a child window of the wall with the camera's
// pictures above a strip that names the camera and says how it is
// (connecting, no video since when, motion). The cell links its camera
// itself, without a view, and draws what the link decodes.
//
// Threads: the media worker of the cell's link calls the picture sink
// (CellPictures), which draws and only posts to the cell; everything else
// runs on the window thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/storage/camera_plans.h"
#include "app/storage/win32/plan_link.h"
#include "present/node_video_output.h"
#include "app/wall/wall_setup.h"
#include "present/win32/full_screen_window_win32.h"
#include "present/win32/win32_display.h"

namespace app::wall {

// What a cell asks of the wall around it.
class WallCellOwner {
 public:
  virtual ~WallCellOwner() = default;
  virtual std::unique_ptr<storage::PlanLink> OpenCellLink(const WallCamera& camera, storage::ShownLinkOptions options,
                                                          std::string* why) = 0;
  virtual void CellDoubleClicked(int cell) = 0;
  virtual void CellMenu(int cell, POINT screen) = 0;
  // Any mouse or key input in the wall: a running tour waits.
  virtual void UserActive() = 0;
  // A motion of the cell's camera started or ended.
  virtual void CellMotion(int cell, bool started) = 0;
};

enum class CellState { kEmpty, kConnecting, kLive, kLost, kFailed };

// The label's text: the camera and its state ("no video since 14:03:22").
std::string CellLabel(const WallCamera& camera, CellState state, const std::string& lost_at, bool motion,
                      const std::string& failure);

class WallCell {
 public:
  // Its window's messages (win32::ObjectWindowProcedure).
  LRESULT WindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static constexpr int kLabelHeight = 18;

  // `on_primary`: the wall is on the primary monitor, the only one
  // DirectDraw draws on (NodeVideoOutput::SetOffPrimaryMonitor).
  WallCell(WallCellOwner& owner, HWND wall, int index, bool on_primary = true);
  ~WallCell();
  WallCell(const WallCell&) = delete;
  WallCell& operator=(const WallCell&) = delete;

  // Links `camera` (an empty one: the cell shows nothing). The same camera
  // again keeps the link it has.
  void Show(const WallCamera& camera);
  void Place(const RECT& rect, bool visible);
  // A cell whose link could not be made (the hosting server does not list
  // the camera yet, no node slot was free) tries again.
  void RetryIfFailed();
  // Once a second: a cell that times its drawing paths takes the one its
  // pictures chose (GDI where DirectDraw is slow, as under Wine).
  void ApplyDrawPathTrial();
  const WallCamera& camera() const { return camera_; }
  CellState state() const { return state_; }
  HWND hwnd() const { return hwnd_; }
  HWND picture() const { return picture_; }
  std::string label() const;

 private:
  class CellPictures;
  void OnNotice(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void SetState(CellState state);
  void CloseLink();

  WallCellOwner& owner_;
  const int index_;
  const bool on_primary_;
  HWND hwnd_ = nullptr, picture_ = nullptr;
  WallCamera camera_;
  CellState state_ = CellState::kEmpty;
  std::string lost_at_, failure_;
  bool motion_ = false;

  present::Win32DisplaySystem display_;
  std::unique_ptr<present::CFullScreenWindow> full_screen_;
  // Declared before the link: the link's worker stops before they go.
  std::unique_ptr<present::NodeVideoOutput> video_;
  std::unique_ptr<CellPictures> pictures_;
  std::unique_ptr<storage::PlanLink> link_;
};

}  // namespace app::wall
