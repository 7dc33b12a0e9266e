#pragma once
// How the main window and the camera view windows meet. The program's core
// (hosting client, event log, node slots) and its sound output come through
// the main window, which also owns the list of open views (ViewList, which
// keeps their docking); it opens a view through a ViewFactory and drives it
// through CameraView. A view reaches back only through ViewHost. Windows only.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "node/media/node_media.h"
#include "node/link/node_window.h"

namespace present {
class SoundDevice;
}  // namespace present

namespace app {

// What to open: a camera through the hosting server, a camera directly (a
// "Camera" entry of the server list) or a file stored on the hosting server.
struct ViewRequest {
  enum class Kind { kRelay, kDirect, kFile };
  Kind kind = Kind::kRelay;
  std::string camera_id;     // relay and file views
  std::string file_name;     // file views
  std::string display_name;  // direct views: the entry's name, also the window's text
  std::string mac;           // direct views
  node::LoginInfo login;     // direct views: address, dynamic-IP name, user and password
  // Not empty: record into this file from the moment the camera is identified
  // (the start-up option --record).
  std::string record_path;
};

// One open camera view, as the main window sees it.
class CameraView {
 public:
  virtual ~CameraView() = default;
  virtual HWND Window() const = 0;
  virtual bool IsRelay() const = 0;  // reached through the hosting server (relay and file views)
  virtual std::string CameraId() const = 0;  // empty until the camera is identified
  virtual node::CNodeWindow& Node() = 0;
  // The view's media side (a recording plan may record through it); null
  // where there is none.
  virtual node::NodeMedia* Media() { return nullptr; }
  // The close command (32778), posted: the view closes itself and then tells
  // the host through ViewClosed.
  virtual void PostClose() = 0;
  // Sort Window: undock and take the standard size, then the host places it.
  virtual void Undock() = 0;
  // Whether `root` (a top-level window) is this view's window or one of its
  // own that stands for it (the full-screen window).
  virtual bool OwnsWindow(HWND root) const { return root == Window(); }
  // A key press meant for this view, before any other window sees it; true
  // when consumed.
  virtual bool OnKeyDown(int /*virtual_key*/, uint32_t /*time_ms*/) { return false; }
  // The view's modeless dialog while it is open (its Tab, Enter and Esc are
  // routed to it), else null.
  virtual HWND ModelessDialog() const { return nullptr; }
  virtual void LeaveFullScreen() {}
  // "Draw video without DirectDraw", changed while the view is open.
  virtual void SetDrawThroughGdi(bool /*gdi*/) {}
  // The screen size a layout keeps: 0 QCIF, 1 normal, 2 double.
  virtual int ScreenSizeIndex() const { return 1; }
  virtual void SetScreenSizeIndex(int /*index*/) {}
};

class ViewList;
class ProgramCore;

// What a view needs from the main window. Called on the user-interface thread.
class ViewHost {
 public:
  virtual ~ViewHost() = default;
  virtual HWND MainWindow() const = 0;
  // The camera and file list window, when there is one.
  virtual HWND ListWindow() const { return nullptr; }
  // The program's folder (skins are found there); empty: none, windows
  // keep their template layout.
  virtual std::string ProgramDir() const { return {}; }
  // The hosting client, the event log, the node slots, and each node's context.
  virtual ProgramCore& Core() = 0;
  // The application's sound output; null when the PC has no sound device.
  virtual present::SoundDevice* SoundOutput() = 0;
  // The open views: what each was opened for, where each is docked, the
  // "Sort Window" pass. Views find one another only here.
  virtual ViewList& OpenViews() = 0;
  // The view's window is gone: take it off the view list (the host deletes it).
  virtual void ViewClosed(CameraView* view) = 0;
  // "Play Back...": the Recordings window at the camera's last minutes;
  // `names` are what its recordings may be named by.
  virtual void PlayBack(const std::vector<std::string>& /*names*/) {}
  // Ctrl+1 to Ctrl+9 in a view: the saved layout of that number.
  virtual void SwitchLayout(int /*number*/) {}
  // A motion started in a view of `camera_id` shown as `name`: the
  // camera's alert, if it has one and it is armed.
  virtual void MotionStarted(HWND /*view*/, const std::string& /*camera_id*/, const std::string& /*name*/) {}
  // The camera was lost (its link went down or stalled) or, `lost` false,
  // its pictures came back: the camera's alert, as for a motion.
  virtual void CameraOutage(HWND /*view*/, const std::string& /*camera_id*/, const std::string& /*name*/,
                            bool /*lost*/) {}
  // "Alerts...": the camera's alert rules, edited in a modal dialog.
  virtual void EditAlerts(HWND /*view*/, const std::string& /*camera_id*/, const std::string& /*name*/) {}
};

class ViewFactory {
 public:
  virtual ~ViewFactory() = default;
  // Creates the view, lists it in host.OpenViews() (before it places itself
  // among the others, so that its docking is kept there from the start) and
  // shows it; null, with nothing listed, when it cannot be made (no free node
  // slot, window creation failed).
  virtual CameraView* Open(ViewHost& host, const ViewRequest& request) = 0;
};

}  // namespace app
