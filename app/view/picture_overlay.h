#pragma once
// What a view draws into its pictures besides the camera's: the overlay,
// made anew only when what it shows changes, and the last picture drawn
// again from the view's thread while no pictures come (a stalled stream, a
// paused file), so the overlay's and the frames' changes still show. On the
// view's thread; the media worker draws the pictures that come.
#include <cstdint>
#include <memory>

#include "app/view/camera_binding.h"
#include "app/view/gdi_text_rasteriser.h"
#include "app/view/overlay.h"

namespace app::view {

class PictureOverlay {
 public:
  explicit PictureOverlay(CameraBinding& binding) : binding_(binding) {}

  // `content` from the next picture on; false when it shows already.
  bool Show(const OverlayContent& content);
  const OverlayContent& content() const { return content_; }
  // The last picture again (a repaint, or a change no coming picture will draw).
  void Redraw();
  // Once a refresh period: whether pictures came since the last.
  void Tick();
  bool stream_idle() const { return stream_idle_; }

 private:
  CameraBinding& binding_;
  std::unique_ptr<GdiTextRasteriser> rasteriser_;
  OverlayContent content_;
  bool made_ = false;
  uint64_t shown_at_tick_ = 0;
  bool stream_idle_ = true;
};

}  // namespace app::view
