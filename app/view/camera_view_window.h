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

#include <memory>
#include <string>
#include <vector>

#include "app/view/camera_binding.h"
#include "app/view/file_chooser.h"
#include "app/view/gdi_text_rasteriser.h"
#include "app/view/keyboard_control.h"
#include "app/view/motion_settings_dialog.h"
#include "app/view/multimedia_key_timers.h"
#include "present/node_playback.h"
#include "present/node_video_output.h"
#include "app/view/overlay_sink.h"
#include "app/view/picture_gestures.h"
#include "app/view/seek_window.h"
#include "app/view/status_line.h"
#include "app/view/view_layout.h"
#include "app/view/view_media.h"
#include "app/view/view_menu.h"
#include "app/view/wheel_zoom.h"
#include "app/view/win32_window_seam.h"
#include "app/view_host.h"
#include "node/media/node_media.h"
#include "os/win32/dialog.h"
#include "present/win32/full_screen_window_win32.h"
#include "present/win32/win32_display.h"

namespace dialogs {
class CPresetDialog;
}

namespace app::view {

// The picture area's window procedure.
LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Private messages and timers of the view window.
constexpr UINT kWmKeyTimer = WM_APP + 3;  // wParam held key, lParam timer id
constexpr UINT kWmSelectionChanged = WM_APP + 4;
constexpr UINT kWmMotionSettingsEnded = WM_APP + 8;  // the dialog is let go outside its own handler
constexpr UINT_PTR kRefreshTimer = 7;     // status line, alarm frame, stalled pictures
constexpr UINT kRefreshMs = 500;

class CViewWindow : public CameraView,
                    public win32::CDialogBase,
                    private CameraSteering,
                    private MotionSettingsEditor {
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
  ScreenSize screen_size() const { return size_; }
  bool FullScreen() const;
  const StatusLine& status_line() const { return status_; }
  bool status_shown() const { return show_status_; }
  HWND picture_window() const { return picture_; }
  node::NodeMedia& media() { return *binding_.media(); }
  present::NodeVideoOutput& video_output() { return *binding_.video(); }
  OverlaySink& overlay_sink() { return *binding_.overlay_sink(); }
  // What the overlay shows now, as texts.
  const OverlayContent& overlay_content() const { return overlay_content_; }
  ViewMenuState MenuState() const;
  // The pop-up menu as the window shows it (the caller destroys it).
  HMENU CreatePopupMenu() const;
  // The picture as shown (overlay included) at full resolution, or an
  // empty vector before the first picture.
  std::vector<uint8_t> ShownPicture(int* width, int* height) const;
  // Moves the frame as a drag to (left, top) does: snapping, docking and
  // the views docked to it following.
  void DragTo(int left, int top);
  // The tooltip of a caption button (by control ID), as it would show.
  std::string TipText(int control) const;
  // The seek window, once "Random Access" has opened it; else null.
  CSeekWindow* seek_window() { return seek_window_.get(); }
  // The motion settings, while open; else null.
  CMotionSettingsDialog* motion_settings() { return motion_settings_.get(); }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  BOOL OnInitDialog() override;

 private:
  friend LRESULT CALLBACK PictureProc(HWND, UINT, WPARAM, LPARAM);

  // camera_view_window.cpp: life, messages, state.
  // The drawing path the pictures' times chose, when the user chose none.
  void ApplyDrawPathTrial();
  void Teardown();
  void CloseView();
  void ForwardToNode(UINT message, WPARAM wparam, LPARAM lparam);
  void OnTimer(UINT_PTR id);
  void OnChannelReady();
  void Refresh();
  void RefreshStatus();
  void RefreshTips();
  void RefreshOverlay();
  void RedrawPicture();
  void MaybeStartRequestedRecording();
  std::string RecordingFailureText(uint64_t now_ms);
  void SetMotionDetection(bool on);
  void ToggleMotionRecording();
  void StartMotionRecording(const std::string& folder);
  // view_motion.cpp: the motion settings and the mask drawn over the picture.
  void OpenMotionSettings();
  void PreviewMotionSettings(const MotionSettings& settings) override;
  void EndMotionSettings(bool keep) override;
  void ApplyMotionSettings();
  // Mask edits by mouse while the settings are open; true when consumed.
  bool OnMaskMouse(UINT message, POINT at);
  bool HasCamera() const { return !CameraId().empty(); }
  std::string DisplayName() const;
  std::string Text(const settings::TextId& id) const;

  // view_commands.cpp: the menu and its commands.
  bool OnViewCommand(UINT id, UINT code);
  // The menu's requests to the camera (video input, quality, preset 1-9,
  // reboot, reconnect), as the node's typed calls.
  bool OnCameraCommand(UINT id);
  void ShowMenu(POINT screen);
  void ApplySize(ScreenSize size);
  void EnterFullScreen();
  void TakeSnapshot();
  void OpenPresetPanel();
  void OpenSeekWindow();

  // view_input.cpp: the picture area, the mouse, the wheel.
  void CreatePictureWindow();
  LRESULT OnPictureMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void EndPictureDrag(POINT end, bool left_window);
  // What a drag or a double click asks of the camera, sent.
  void SendGesture(const PictureGesture& gesture);
  void UpdateDragOverlay();
  void OnWheel(int delta);
  // CameraSteering: the held keys' steps.
  void PtzStep(int pan, int tilt) override;
  void Lens(uint32_t operation, uint32_t speed) override;

  // view_frame.cpp: the frame, its dragging, docking and placement.
  void LayOut();
  void CreateTips();
  void SetTip(int control, const std::string& text);
  void PaintFrame();
  void DrawStatusLine(const DRAWITEMSTRUCT& item);
  bool OnFrameMouse(UINT message, LPARAM lparam);
  void Place(bool sorting);
  ScreenRect FrameRect() const;

  ViewHost& host_;
  const ViewRequest request_;
  FileChooser& chooser_;

  Win32WindowSeam seam_;
  // The slot, renderers, media path and link: ended before the window goes (Teardown).
  CameraBinding binding_{host_, request_};
  std::unique_ptr<dialogs::CPresetDialog> preset_panel_;  // sends through the node's Control()
  std::unique_ptr<CSeekWindow> seek_window_;               // seeks through the node's Control()
  std::unique_ptr<CMotionSettingsDialog> motion_settings_;
  MotionSettings motion_;          // what the detector runs with
  MotionSettings motion_opened_;   // what the open settings go back to on Cancel
  MaskEdit mask_edit_;
  std::unique_ptr<MultimediaKeyTimers> key_timers_;
  std::unique_ptr<KeyboardControl> keyboard_;
  std::unique_ptr<GdiTextRasteriser> rasteriser_;
  WheelZoom wheel_;

  HWND picture_ = nullptr;
  HWND tips_ = nullptr;  // the caption buttons' tooltips
  ScreenSize size_ = ScreenSize::k1x;
  bool show_status_ = true;
  StatusLine status_;
  OverlayContent overlay_content_;
  bool overlay_made_ = false;
  uint64_t shown_at_refresh_ = 0;
  bool stream_idle_ = true;
  bool requested_recording_started_ = false;
  bool closing_ = false;
  bool motion_applied_ = false;  // the camera's remembered motion setting taken
  uint32_t recording_failure_serial_ = 0;  // the recorder's last failure already taken
  std::string recording_failure_;
  uint64_t recording_failure_until_ms_ = 0;
  bool menu_open_ = false;
  // The camera's id as last identified: its link forgets it while down, and
  // the alert for the camera lost comes then.
  std::string identified_camera_id_;

  // A drag in the picture (camera control), in picture-area pixels.
  bool picture_drag_ = false;
  POINT drag_start_ = {}, drag_end_ = {};
  // A drag of the frame (moving the window), in screen pixels.
  bool frame_drag_ = false;
  POINT frame_anchor_ = {};
  RECT frame_start_ = {};
};

}  // namespace app::view
