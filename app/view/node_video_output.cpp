#include "app/view/node_video_output.h"

namespace present {

NodeVideoOutput::NodeVideoOutput(DisplaySystem& system, FullScreenWindow& fullScreen, os::WindowHandle nodeWindow)
    : m_system(system), m_fullScreenWindow(fullScreen), m_nodeWindow(nodeWindow), m_window(system),
      m_overlay(system) {}

NodeVideoOutput::~NodeVideoOutput() { Close(); }

void NodeVideoOutput::ShowPicture(const DecodedPicture& picture) {
  std::lock_guard<std::mutex> lock(m_state);
  if (m_paused) return;
  if (m_overlayInUse) {
    m_overlay.Draw(picture);
    return;
  }
  if (m_fullScreen) {
    m_window.Draw(picture, nullptr, false, 0);
    return;
  }
  if (!m_system.WindowVisible(m_nodeWindow)) return;
  bool border = m_selected || m_motion;
  ColorRef colour = m_motion ? kBorderAmber : kBorderYellow;
  if (m_alarmBlink > 0) {
    border = m_alarmBlink % 2 == 0;
    colour = kBorderRed;
  }
  m_window.Draw(picture, nullptr, border, colour);
}

void NodeVideoOutput::Resize(int width, int height) {
  std::lock_guard<std::mutex> lock(m_state);
  m_width = width;
  m_height = height;
  if (m_fullScreen)
    StartFullScreenRenderer();
  else
    StartWindowRenderer(m_nodeWindow);
}

void NodeVideoOutput::StartWindowRenderer(os::WindowHandle target) {
  m_window.Initialise(target, m_width, m_height, WindowRenderer::kAllOptions);
}

// The overlay when the display has one, else the window renderer on the
// full-screen window.
void NodeVideoOutput::StartFullScreenRenderer() {
  m_window.Close();
  m_overlayInUse = m_overlay.Initialise(m_width, m_height);
  if (m_overlayInUse) return;
  m_overlay.Close();
  StartWindowRenderer(m_fullScreenHandle);
}

// Showing and hiding the pop-up happen outside the lock: a window system may
// take its time over them (Wine without a window manager waits two seconds
// for a hidden window), and the worker must not wait that long to draw.
bool NodeVideoOutput::EnterFullScreen() {
  {
    std::lock_guard<std::mutex> lock(m_state);
    if (m_fullScreen || m_width <= 0 || m_height <= 0) return false;
  }
  const os::WindowHandle handle = m_fullScreenWindow.Show();
  std::lock_guard<std::mutex> lock(m_state);
  m_fullScreenHandle = handle;
  m_fullScreen = true;
  StartFullScreenRenderer();
  return true;
}

void NodeVideoOutput::LeaveFullScreen() {
  {
    std::lock_guard<std::mutex> lock(m_state);
    if (!m_fullScreen) return;
    if (m_overlayInUse)
      m_overlay.Close();
    else
      m_window.Close();
    StartWindowRenderer(m_nodeWindow);
    m_fullScreen = false;
    m_overlayInUse = false;
  }
  m_fullScreenWindow.Hide();
}

void NodeVideoOutput::Close() {
  std::lock_guard<std::mutex> lock(m_state);
  m_window.Close();
  m_overlay.Close();
}

void NodeVideoOutput::SetSelected(bool selected) {
  std::lock_guard<std::mutex> lock(m_state);
  m_selected = selected;
}

void NodeVideoOutput::SetAlarmBlink(int counter) {
  std::lock_guard<std::mutex> lock(m_state);
  m_alarmBlink = counter;
}

void NodeVideoOutput::SetMotion(bool motion) {
  std::lock_guard<std::mutex> lock(m_state);
  m_motion = motion;
}

void NodeVideoOutput::SetPaused(bool paused) {
  std::lock_guard<std::mutex> lock(m_state);
  m_paused = paused;
}

bool NodeVideoOutput::FullScreen() const {
  std::lock_guard<std::mutex> lock(m_state);
  return m_fullScreen;
}

bool NodeVideoOutput::OverlayInUse() const {
  std::lock_guard<std::mutex> lock(m_state);
  return m_overlayInUse;
}

}  // namespace present
