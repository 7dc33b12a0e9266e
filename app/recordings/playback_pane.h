#pragma once
// One picture of the Recordings window: a child window that a camera's
// recorded pictures are drawn into by the renderers the camera views use
// (the window renderer behind the view's overlay sink, so the camera's name
// and the picture's date and time are painted into the picture as a view's
// texts are). It keeps a copy of the last picture for repaints, snapshots
// and the greyed "No recording" over a gap.
//
// Threads: the playback worker calls ShowPicture and Resize (the
// present::PictureSink); the window's thread does everything else. The copy of
// the last picture is guarded by picture_lock_, held only to copy.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "present/node_video_output.h"
#include "app/view/overlay_sink.h"
#include "present/picture_sink.h"
#include "present/win32/win32_display.h"

namespace app::recordings {

class PlaybackPane : public present::PictureSink {
 public:
  PlaybackPane(HWND parent, present::DisplaySystem& display, view::TextRasteriser& text);
  ~PlaybackPane() override;
  PlaybackPane(const PlaybackPane&) = delete;
  PlaybackPane& operator=(const PlaybackPane&) = delete;

  // present::PictureSink: the playback worker.
  void ShowPicture(const codec::DecodedPicture& picture) override;
  void Resize(int width, int height) override;

  // The window's thread.
  HWND hwnd() const { return hwnd_; }
  void Place(const RECT& r, bool visible);
  // The texts over the picture; over a gap the last picture greys under "No recording".
  void SetTexts(const std::string& camera, const std::string& time, bool noRecording);
  // The last picture drawn, I420; false before the first.
  bool LastPicture(std::vector<uint8_t>* picture, int* width, int* height) const;
  // Pictures drawn so far.
  uint64_t shown() const { return sink_->shown(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void Redraw();

  HWND hwnd_ = nullptr;
  view::TextRasteriser& text_;
  std::unique_ptr<present::FullScreenWindow> no_full_screen_;
  std::unique_ptr<present::NodeVideoOutput> video_;
  std::unique_ptr<view::OverlaySink> sink_;
  view::OverlayContent content_;
  bool no_recording_ = true;

  mutable std::mutex picture_lock_;
  std::vector<uint8_t> last_;  // picture_lock_
  int last_width_ = 0, last_height_ = 0;
};

}  // namespace app::recordings
