#pragma once
// The window seam: how the portable core reaches the user interface without
// calling a window system. The Win32 shell implements these with PostMessage
// and message boxes whose texts come from the settings file; tests implement
// them with recording fakes.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace os {

using WindowHandle = std::uintptr_t;

// Window messages the core posts (numbers shared with the Win32 shell).
enum CoreMessage : uint32_t {
  kWmCommand = 0x0111,  // the Win32 numbers of WM_COMMAND and WM_TIMER
  kWmTimer = 0x0113,
  kWmNodeConnectStatus = 1127,
  kWmNodeNotice = 1128,
  kWmNodeNoticeEnd = 1129,
  kWmNodeCameraIdentified = 1130,  // a node to itself: its camera answered, Setup on the window's thread
  kWmNodeClose = 1134,
  kWmNodeStartConnect = 1135,
  kWmNodeStartAudio = 1136,
  kWmNodeHostBack = 1137,  // the hosting server is back and logged in: a relay node asks for its channels again
  kWmNodeChannelReady = 1424,
  kWmNodePosition = 1425,
  kWmNodeMotion = 1426,  // wParam node index, lParam 1 when a motion starts, 0 when it ends
  kWmNodePictureWidth = 1427,  // wParam the camera's new picture width: the view picks its screen size
  kWmNodeSetupRefused = 1428,  // the camera refused a configuration record sent to it: the view tells the user
  kWmNodeOutage = 1429,  // wParam node index, lParam 1 when the camera was lost (link down or stalled), 0 when its pictures came back
  kWmHostEvent = 1801,
};

class WindowPoster {
 public:
  virtual ~WindowPoster() = default;
  // Queues `message` for `window` and returns at once; false if the window is gone.
  virtual bool Post(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) = 0;
};

// Window timers: each expiry arrives as a WM_TIMER message with the timer's id.
// Callable from any thread; the implementation hands the call to the window's own thread.
class WindowTimers {
 public:
  virtual ~WindowTimers() = default;
  virtual void SetTimer(WindowHandle window, uint32_t id, int interval_ms) = 0;
  virtual void KillTimer(WindowHandle window, uint32_t id) = 0;
};

// An argument of a user-visible message: its text is a format string from
// the settings file, so arguments carry their type and are checked against it.
using MessageArg = std::variant<long long, std::string>;

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  // Shows the text stored under section/key (default_text when the settings
  // hold none), formatted with args, in a message box with an OK button.
  virtual void ShowMessage(const std::string& section, const std::string& key, const std::string& default_text,
                           const std::vector<MessageArg>& args = {}) = 0;
};

}  // namespace os
