#pragma once
// The camera view window (template 132): the frame with its status line,
// toggles and close button in three screen sizes and full screen; the
// picture area the node's media worker draws into, with the overlay
// painted into each picture; the pop-up menu, mouse, wheel and keyboard
// control of the camera; recording, snapshots and sound; placement,
// dragging and docking among the views. It joins the node's link
// (CNodeWindow) and media path to the renderers and the sound output the
// main window (ViewHost) provides.
//
// Threads: everything here runs on the window's thread except what the
// node, its media worker and the renderers do on their own threads; they
// reach this window only through posted messages. The multimedia key
// timers post too.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/view/camera_binding.h"
#include "app/view/camera_commands.h"
#include "app/view/file_chooser.h"
#include "app/view/picture_control.h"
#include "app/view/picture_overlay.h"
#include "app/view/view_frame.h"
#include "app/view/view_layout.h"
#include "app/view/view_menu.h"
#include "app/view/view_motion.h"
#include "app/view/view_recording.h"
#include "app/view_host.h"
#include "os/win32/dialog.h"

namespace app::view {

// Private messages and timers of the view window.
constexpr UINT kWmSelectionChanged = WM_APP + 4;
constexpr UINT_PTR kRefreshTimer = 7;     // status line, alarm frame, stalled pictures
constexpr UINT kRefreshMs = 500;

// The window composes its rooms and routes to them: the binding (slot,
// renderers, media path, link), the frame, the picture area with the
// camera control, the picture's overlay, motion, recording and the
// camera's own commands.
class CViewWindow : public CameraView,
                    public win32::CDialogBase,
                    private ViewMotionOwner,
                    private PictureControlOwner {
 public:
  CViewWindow(HINSTANCE instance, ViewHost& host, ViewRequest request, FileChooser& chooser);
  ~CViewWindow() override;

  // Makes the window, places and shows it, and starts the link; false when
  // the view cannot be made (no free node slot, no window).
  bool Open();

  // CameraView
  HWND Window() const override { return hwnd(); }
  bool IsRelay() const override;
  std::string CameraId() const override;
  node::CNodeWindow& Node() override { return *binding_.node(); }
  node::NodeMedia* Media() override { return binding_.media(); }
  int ScreenSizeIndex() const override { return static_cast<int>(size_); }
  void SetScreenSizeIndex(int index) override;
  void PostClose() override;
  void Undock() override;
  bool OwnsWindow(HWND root) const override;
  // None while the pop-up menu runs: its own loop steers with the same keys.
  bool OnKeyDown(int virtual_key, uint32_t time_ms) override;
  HWND ModelessDialog() const override;
  void LeaveFullScreen() override;
  void SetDrawThroughGdi(bool gdi) override;

  // State, for the other views and tests.
  bool FullScreen() const;
  // The picture area (also what the motion room draws its mask on).
  HWND PictureWindow() const override { return picture_.hwnd(); }
  // The slot, renderers, media path and link.
  const CameraBinding& binding() const { return binding_; }
  // The frame: its status line, its caption buttons' tooltips, its drag.
  ViewFrame& frame() { return frame_; }
  // What the overlay shows now, as texts.
  const OverlayContent& overlay_content() const { return overlay_.content(); }
  ViewMenuState MenuState() const;
  // The pop-up menu as the window shows it (the caller destroys it).
  HMENU CreatePopupMenu() const;
  // The picture as shown (overlay included) at full resolution, or an
  // empty vector before the first picture.
  std::vector<uint8_t> ShownPicture(int* width, int* height) const;
  // The seek window, once "Random Access" has opened it; else null.
  CSeekWindow* seek_window() { return commands_.seek_window(); }
  // The motion settings, while open; else null.
  CMotionSettingsDialog* motion_settings() { return motion_.dialog(); }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  BOOL OnInitDialog() override;

 private:
  // camera_view_window.cpp: life, messages, state.
  void Teardown();
  void CloseView();
  void ForwardToNode(UINT message, WPARAM wparam, LPARAM lparam);
  void OnTimer(UINT_PTR id);
  void OnChannelReady();
  void Refresh();
  void RefreshTips();
  // The rooms' owner: what they ask of the view.
  void RefreshOverlay() override;
  void RedrawPicture() override;
  bool HasCamera() const override { return !CameraId().empty(); }
  std::string DisplayName() const;

  // view_commands.cpp: the menu and the view's own commands.
  bool OnViewCommand(UINT id, UINT code);
  void ShowMenu(POINT screen) override;
  void ApplySize(ScreenSize size);
  void EnterFullScreen();
  void Place(bool sorting);

  ViewHost& host_;
  const ViewRequest request_;
  FileChooser& chooser_;

  // The slot, renderers, media path and link: ended before the window goes (Teardown).
  CameraBinding binding_{host_, request_};
  ViewFrame frame_{host_, *this};
  ViewMotion motion_;
  PictureControl picture_;
  PictureOverlay overlay_{binding_};
  ViewRecording recording_{binding_, request_, chooser_};
  CameraCommands commands_;

  ScreenSize size_ = ScreenSize::k1x;
  bool show_status_ = true;
  bool closing_ = false;
  bool menu_open_ = false;
  // The camera's id as last identified: its link forgets it while down, and
  // the alert for the camera lost comes then.
  std::string identified_camera_id_;
};

}  // namespace app::view
