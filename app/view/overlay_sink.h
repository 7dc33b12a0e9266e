#pragma once
// The view's picture sink: takes each picture the media worker shows,
// stretches it (bilinear) to the size it takes on the screen, paints the
// view's overlay into that copy and hands the copy on to the video output,
// so texts and picture reach the screen in one draw, the texts at the
// screen's own resolution: one size and crisp on every view however far
// its picture is stretched, and the renderer copies pixel for pixel. The
// window's thread swaps the overlay and sets the screen size whenever the
// view's state changes, and redraws the last picture itself when no new
// ones come (a stalled stream, a finished file, a repaint).
//
// Locks: overlay_lock_ only guards the pointer swap, so the window thread
// never waits for a draw to change the overlay; draw_lock_ serialises the
// composed copy and the calls into the next sink (worker draws, resizes and
// window repaints); the window's thread only tries it. Neither is held
// while the other is taken.
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "app/view/overlay.h"
#include "present/picture_sink.h"

namespace app::view {

class OverlaySink : public present::PictureSink {
 public:
  explicit OverlaySink(present::PictureSink& next) : next_(next) {}

  // present::PictureSink: the media worker.
  void ShowPicture(const codec::DecodedPicture& picture) override;
  void Resize(int width, int height) override;
  bool WantsPictures() override { return next_.WantsPictures(); }

  // The window's thread.
  void SetOverlay(std::shared_ptr<const Overlay> overlay);
  // The size the pictures take on the screen; 0 x 0 shows them as decoded
  // (a display that stretches them itself, such as a hardware overlay).
  void SetScreenSize(int width, int height);
  std::shared_ptr<const Overlay> overlay() const;
  // The last picture again, unless the media worker is drawing or
  // resizing right now (its picture is as new): the window's thread never
  // waits for the renderer. True when drawn.
  bool TryRedraw(const codec::DecodedPicture& picture);
  // Pictures shown so far, by either path.
  uint64_t shown() const;
  // Where the drawing time went (benchmarks): painting the overlay into the
  // copy, and everything in this sink including the next one.
  struct Times {
    uint64_t pictures = 0;
    std::chrono::nanoseconds compose{0}, total{0};
  };
  Times times() const;

  // `picture` with the current overlay painted into a copy of it.
  std::vector<uint8_t> Composed(const codec::DecodedPicture& picture) const;

 private:
  struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
  };
  void Draw(const codec::DecodedPicture& picture);  // draw_lock_ held
  Size ShownSize(const codec::DecodedPicture& picture) const;

  present::PictureSink& next_;
  mutable std::mutex overlay_lock_;
  std::shared_ptr<const Overlay> overlay_;
  Size screen_;                  // overlay_lock_
  mutable std::mutex draw_lock_;
  Size next_size_;               // what next_ was last resized to
  std::vector<uint8_t> composed_;
  uint64_t shown_ = 0;
  Times times_;
};

}  // namespace app::view
