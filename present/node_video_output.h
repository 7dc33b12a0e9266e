#pragma once
// A node's video output: the window renderer and the overlay renderer of one
// node behind the media path's PictureSink, with the full-screen mode and
// the frame that marks a selected or alarmed view. The media worker shows
// pictures; the window thread resizes, selects, enters and leaves full
// screen. Drawing paints the frame into the picture it is given, so the
// caller must own that picture while ShowPicture runs.
#include <cstdint>
#include <mutex>

#include "present/picture_sink.h"
#include "present/full_screen_window.h"
#include <string>

#include "present/draw_path_trial.h"
#include "present/overlay_renderer.h"
#include "present/window_renderer.h"

namespace present {

class NodeVideoOutput : public PictureSink {
 public:
  // How long a window that shows is taken to go on showing: a view covered,
  // minimised or hidden converts and draws nothing (within this long).
  static constexpr uint64_t kVisibleCheckMs = 200;

  NodeVideoOutput(DisplaySystem& system, FullScreenWindow& full_screen, os::WindowHandle node_window);
  ~NodeVideoOutput() override;
  NodeVideoOutput(const NodeVideoOutput&) = delete;
  NodeVideoOutput& operator=(const NodeVideoOutput&) = delete;

  // PictureSink
  void ShowPicture(const codec::DecodedPicture& picture) override;
  void Resize(int width, int height) override;
  // False while the view is paused, or minimised or covered (asked again
  // within kVisibleCheckMs): its pictures need not even be decoded.
  bool WantsPictures() override;

  // The view's state that decides the frame: selected (yellow), and the
  // alarm blink counter (red on frames while it is even and above 0).
  void SetSelected(bool selected);
  void SetAlarmBlink(int counter);
  // A motion lasts: amber, over the selection, under the alarm.
  void SetMotion(bool motion);
  // The user's choice to draw without DirectDraw (WindowRenderer's GDI mode,
  // no overlay in full screen). Off until set.
  void SetDrawThroughGdi(bool gdi);
  // A window off the primary monitor: DirectDraw's primary surface is the
  // primary monitor's and draws nothing elsewhere, so the pictures go
  // through GDI while the window is there (the user's choice and the trial
  // stay as they are for when it comes back).
  void SetOffPrimaryMonitor(bool off);
  // A paused view shows no new pictures.
  void SetPaused(bool paused);
  // The user has not chosen a drawing path: the pictures' times choose
  // (DrawPathTrial). The window thread applies what the trial
  // decides with ApplyDrawPathTrial, from a timer; it returns true once,
  // with the line to log, when the view has moved to GDI for good.
  void StartDrawPathTrial();
  bool ApplyDrawPathTrial(std::string* told);

  // Refused (false) while already full screen or before the first picture size.
  // The window's thread only: it shows and hides the full-screen window.
  bool EnterFullScreen();
  void LeaveFullScreen();
  // The channel ends: both renderers close.
  void Close();

  bool FullScreen() const;
  bool OverlayInUse() const;
  WindowRenderer& windowRenderer() { return window_; }
  OverlayRenderer& overlayRenderer() { return overlay_; }

 private:
  void StartWindowRenderer(os::WindowHandle target);
  // Whether the window shows now, asked of the window system at most every
  // kVisibleCheckMs while it does. State lock held.
  bool WindowShows();
  bool DrawsThroughGdi() const { return gdi_ || off_primary_; }
  // The renderer at work takes gdi_ now. State lock held.
  void RestartRenderer();
  // Draws through the window renderer, timed for the trial while it runs. State lock held.
  void DrawTimed(const codec::DecodedPicture& picture, bool border, ColorRef colour);
  void StartFullScreenRenderer();

  DisplaySystem& system_;
  FullScreenWindow& full_screen_window_;
  const os::WindowHandle node_window_;
  WindowRenderer window_;
  OverlayRenderer overlay_;

  // State lock, taken before a renderer's own mutex.
  mutable std::mutex state_;
  os::WindowHandle full_screen_handle_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool full_screen_ = false;
  bool overlay_in_use_ = false;
  bool selected_ = false;
  bool paused_ = false;
  bool visible_ = true;
  uint64_t visible_checked_ms_ = 0;
  bool gdi_ = false;
  bool off_primary_ = false;
  int alarm_blink_ = 0;
  bool motion_ = false;
  bool trial_on_ = false;        // the trial runs
  bool trial_told_ = false;      // its move to GDI was told
  DrawPathTrial trial_;
};

}  // namespace present
