#pragma once
// A view's camera bound to what shows and plays it: a slot of the program's
// node table, the picture's renderers (DirectDraw or GDI, and the
// full-screen window), the overlay, the sound playback, the node's media
// path and its link. Made in that order, started by what the view was
// opened for, and ended in the reverse order: the link leaves the hosting
// lists and its threads end before the media path and the renderers go.
// The view window around it only lays out, paints and routes input.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "present/node_playback.h"
#include "present/node_video_output.h"
#include "app/view/overlay_sink.h"
#include "app/view/view_media.h"
#include "app/view/win32_window_seam.h"
#include "app/view_host.h"
#include "node/media/node_media.h"
#include "present/win32/full_screen_window_win32.h"
#include "present/win32/win32_display.h"

namespace app::view {

class RegistryDynamicIp;

class CameraBinding {
 public:
  CameraBinding(ViewHost& host, const ViewRequest& request);
  ~CameraBinding();
  CameraBinding(const CameraBinding&) = delete;
  CameraBinding& operator=(const CameraBinding&) = delete;

  // A slot of the node table; false when every one is in use.
  bool TakeSlot();
  // Everything from the renderers to the link. `window` is the view's (the
  // node's messages and timers reach it through the binding's seam),
  // `picture` its picture area; `choose_recording` asks the user where a
  // recording goes.
  void Bind(HWND window, HWND picture, std::function<bool(std::string*)> choose_recording);
  // The link starts: the hosting server's camera or file, or the camera itself.
  void StartLink();
  // The link, the media path and the renderers end; the slot stays taken
  // until ReleaseSlot (after the window is gone).
  void Unbind();
  void ReleaseSlot();
  // The drawing path the pictures' times chose, when the user chose none;
  // the event log tells it once, under the view's `name`.
  void ApplyDrawPathTrial(const std::string& name);

  // Null before Bind and after Unbind.
  node::CNodeWindow* node() const { return node_.get(); }
  node::NodeMedia* media() const { return media_.get(); }
  present::NodeVideoOutput* video() const { return video_.get(); }
  OverlaySink* overlay_sink() const { return overlay_sink_.get(); }
  present::CFullScreenWindow* full_screen_window() const { return full_screen_window_.get(); }
  present::NodePlayback& playback() { return playback_; }

 private:
  ViewHost& host_;
  const ViewRequest& request_;
  int index_ = -1;
  Win32WindowSeam seam_;
  present::Win32DisplaySystem display_;
  present::NodePlayback playback_;
  std::unique_ptr<present::CFullScreenWindow> full_screen_window_;
  std::unique_ptr<present::NodeVideoOutput> video_;
  std::unique_ptr<OverlaySink> overlay_sink_;
  std::unique_ptr<node::NodeMedia> media_;
  std::unique_ptr<ViewMedia> view_media_;
  std::unique_ptr<RegistryDynamicIp> dynamic_ip_;
  std::unique_ptr<node::CNodeWindow> node_;
};

}  // namespace app::view
