#include "present/node_video_output.h"

#include <cstdio>

#include "os/clock.h"

namespace present {

NodeVideoOutput::NodeVideoOutput(DisplaySystem& system, FullScreenWindow& full_screen,
                                 os::WindowHandle node_window)
    : system_(system), full_screen_window_(full_screen), node_window_(node_window), window_(system),
      overlay_(system) {}

NodeVideoOutput::~NodeVideoOutput() { Close(); }

void NodeVideoOutput::ShowPicture(const codec::DecodedPicture& picture) {
  std::lock_guard<std::mutex> lock(state_);
  if (paused_) return;
  if (overlay_in_use_) {
    overlay_.Draw(picture);
    return;
  }
  if (full_screen_) {
    window_.Draw(picture, nullptr, false, 0);
    return;
  }
  if (!WindowShows()) return;
  bool border = selected_ || motion_;
  ColorRef colour = motion_ ? kBorderAmber : kBorderYellow;
  if (alarm_blink_ > 0) {
    border = alarm_blink_ % 2 == 0;
    colour = kBorderRed;
  }
  DrawTimed(picture, border, colour);
}

// A view that shows is asked again every few pictures, not at each (under
// Wine each question is a trip to its server); one that does not, at each
// picture, so a repaint after it is uncovered draws.
bool NodeVideoOutput::WindowShows() {
  const uint64_t now = os::MonotonicMs();
  if (!visible_ || now - visible_checked_ms_ >= kVisibleCheckMs || now < visible_checked_ms_) {
    visible_ = system_.WindowVisible(node_window_);
    visible_checked_ms_ = now;
  }
  return visible_;
}

bool NodeVideoOutput::WantsPictures() {
  std::lock_guard<std::mutex> lock(state_);
  if (paused_) return false;
  return overlay_in_use_ || full_screen_ || WindowShows();
}

void NodeVideoOutput::DrawTimed(const codec::DecodedPicture& picture, bool border, ColorRef colour) {
  using Verdict = DrawPathTrial::Verdict;
  // Only pictures drawn on the path the trial measures count: its switch
  // comes a moment after its verdict, from the window's thread.
  const bool counts = trial_on_ && !off_primary_ && gdi_ == (trial_.verdict() == Verdict::kTryGdi);
  const uint64_t started = os::MonotonicUs();
  window_.Draw(picture, nullptr, border, colour);
  if (counts) trial_.Add(os::MonotonicUs() - started);
}

void NodeVideoOutput::StartDrawPathTrial() {
  std::lock_guard<std::mutex> lock(state_);
  if (!gdi_) trial_on_ = true;
}

bool NodeVideoOutput::ApplyDrawPathTrial(std::string* told) {
  using Verdict = DrawPathTrial::Verdict;
  std::lock_guard<std::mutex> lock(state_);
  if (!trial_on_) return false;
  const Verdict verdict = trial_.verdict();
  const bool want_gdi = verdict == Verdict::kTryGdi || verdict == Verdict::kKeepGdi;
  if (want_gdi != gdi_) {
    gdi_ = want_gdi;
    RestartRenderer();
  }
  if (verdict == Verdict::kKeepDirectDraw) trial_on_ = false;
  if (verdict != Verdict::kKeepGdi || trial_told_) return false;
  trial_on_ = false;
  trial_told_ = true;
  char line[160];
  std::snprintf(line, sizeof line,
                "Drawing video without DirectDraw: a picture took %.1f ms through DirectDraw, %.1f ms without",
                double(trial_.direct_draw_us()) / 1000.0, double(trial_.gdi_us()) / 1000.0);
  *told = line;
  return true;
}

void NodeVideoOutput::Resize(int width, int height) {
  std::lock_guard<std::mutex> lock(state_);
  width_ = width;
  height_ = height;
  if (full_screen_)
    StartFullScreenRenderer();
  else
    StartWindowRenderer(node_window_);
}

void NodeVideoOutput::StartWindowRenderer(os::WindowHandle target) {
  window_.Initialise(target, width_, height_,
                     DrawsThroughGdi() ? WindowRenderer::kDrawThroughGdi : WindowRenderer::kAllOptions);
}

// The overlay when the display has one (and DirectDraw is not turned off),
// else the window renderer on the full-screen window.
void NodeVideoOutput::StartFullScreenRenderer() {
  window_.Close();
  overlay_in_use_ = !gdi_ && overlay_.Initialise(width_, height_);
  if (overlay_in_use_) return;
  overlay_.Close();
  StartWindowRenderer(full_screen_handle_);
}

// Showing and hiding the pop-up happen outside the lock: a window system may
// take its time over them (Wine without a window manager waits two seconds
// for a hidden window), and the worker must not wait that long to draw.
bool NodeVideoOutput::EnterFullScreen() {
  {
    std::lock_guard<std::mutex> lock(state_);
    if (full_screen_ || width_ <= 0 || height_ <= 0) return false;
  }
  const os::WindowHandle handle = full_screen_window_.Show();
  std::lock_guard<std::mutex> lock(state_);
  full_screen_handle_ = handle;
  full_screen_ = true;
  StartFullScreenRenderer();
  return true;
}

void NodeVideoOutput::LeaveFullScreen() {
  {
    std::lock_guard<std::mutex> lock(state_);
    if (!full_screen_) return;
    if (overlay_in_use_)
      overlay_.Close();
    else
      window_.Close();
    StartWindowRenderer(node_window_);
    full_screen_ = false;
    overlay_in_use_ = false;
  }
  full_screen_window_.Hide();
}

void NodeVideoOutput::Close() {
  std::lock_guard<std::mutex> lock(state_);
  window_.Close();
  overlay_.Close();
}

void NodeVideoOutput::SetSelected(bool selected) {
  std::lock_guard<std::mutex> lock(state_);
  selected_ = selected;
}

void NodeVideoOutput::SetAlarmBlink(int counter) {
  std::lock_guard<std::mutex> lock(state_);
  alarm_blink_ = counter;
}

void NodeVideoOutput::SetMotion(bool motion) {
  std::lock_guard<std::mutex> lock(state_);
  motion_ = motion;
}

void NodeVideoOutput::SetDrawThroughGdi(bool gdi) {
  std::lock_guard<std::mutex> lock(state_);
  trial_on_ = false;  // the user's choice stands
  if (gdi == gdi_) return;
  gdi_ = gdi;
  RestartRenderer();
}

void NodeVideoOutput::SetOffPrimaryMonitor(bool off) {
  std::lock_guard<std::mutex> lock(state_);
  if (off == off_primary_) return;
  off_primary_ = off;
  if (!full_screen_) RestartRenderer();
}

void NodeVideoOutput::RestartRenderer() {
  // A renderer at work switches now; a closed one takes the choice when it
  // starts.
  if (!window_.Initialised() && !overlay_in_use_) return;
  if (full_screen_)
    StartFullScreenRenderer();  // closes whichever of the two it does not take
  else
    StartWindowRenderer(node_window_);
}

void NodeVideoOutput::SetPaused(bool paused) {
  std::lock_guard<std::mutex> lock(state_);
  paused_ = paused;
}

bool NodeVideoOutput::FullScreen() const {
  std::lock_guard<std::mutex> lock(state_);
  return full_screen_;
}

bool NodeVideoOutput::OverlayInUse() const {
  std::lock_guard<std::mutex> lock(state_);
  return overlay_in_use_;
}

}  // namespace present
