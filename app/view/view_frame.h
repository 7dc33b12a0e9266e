#pragma once
// The view's frame around the picture: its children laid out per screen
// size, the caption buttons' tooltips, the status line, and moving the
// frame: dragging with snapping and docking among the views, and placement
// when the view opens or the windows are sorted. On the view's thread.
#include <windows.h>

#include <string>

#include "app/view/frame_tips.h"
#include "app/view/status_line.h"
#include "app/view/view_layout.h"
#include "app/view_host.h"

namespace app::view {

class ViewFrame {
 public:
  // `view` is the frame's window's view; the host holds the other views.
  ViewFrame(ViewHost& host, CameraView& view) : host_(host), view_(view) {}

  // One tooltip window for the caption buttons, once the frame is made.
  void CreateTips(HINSTANCE instance);
  void SetTips(const FrameTips& tips);
  // The tooltip of a caption button (by control ID), as it would show.
  std::string TipText(int control) const;

  // The children at `size`; `picture` is the picture area.
  void LayOut(ScreenSize size, HWND picture);
  void Paint();
  // The status line shows `line` from its next paint.
  void SetStatus(const StatusLine& line);
  const StatusLine& status() const { return status_; }
  void DrawStatusLine(const DRAWITEMSTRUCT& item);

  // The frame's own mouse messages (not a control's); true when consumed.
  bool OnMouse(UINT message, LPARAM lparam);
  // Moves the frame as a drag to (left, top) does: snapping, docking and
  // the views docked to it following.
  void DragTo(int left, int top);
  // Among the other open views, at the standard size; while sorting, only
  // views already placed in this pass count.
  void Place(bool sorting);

 private:
  HWND hwnd() const { return view_.Window(); }
  ScreenRect Rect() const;
  void SetTip(int control, const std::string& text);

  ViewHost& host_;
  CameraView& view_;
  HWND tips_ = nullptr;
  StatusLine status_;
  // A drag of the frame (moving the window), in screen pixels.
  bool dragging_ = false;
  POINT anchor_ = {};
  RECT start_ = {};
};

}  // namespace app::view
