#include "app/view/picture_overlay.h"

#include "settings/win32/ini_handler.h"

namespace app::view {
namespace {

// The drag's area size is left out: it changes only with the drag's rectangle.
bool SameOverlay(const OverlayContent& a, const OverlayContent& b) {
  return a.text_height == b.text_height && a.status == b.status && a.show_status == b.show_status &&
         a.viewers == b.viewers && a.name == b.name && a.recording == b.recording &&
         a.end_of_file == b.end_of_file && a.motion == b.motion && a.no_video == b.no_video && a.drag == b.drag &&
         a.drag_rect == b.drag_rect && a.mask_grid == b.mask_grid && a.mask == b.mask && a.changed == b.changed &&
         a.objects == b.objects;
}

}  // namespace

bool PictureOverlay::Show(const OverlayContent& content) {
  if (!binding_.overlay_sink()) return false;
  if (made_ && SameOverlay(content, content_)) return false;
  content_ = content;
  made_ = true;
  if (!rasteriser_) rasteriser_ = std::make_unique<GdiTextRasteriser>(settings::IniHandler::Instance().Font());
  binding_.overlay_sink()->SetOverlay(Overlay::Make(content_, *rasteriser_));
  return true;
}

void PictureOverlay::Redraw() {
  if (!binding_.media() || !binding_.overlay_sink()) return;
  OverlaySink& sink = *binding_.overlay_sink();
  binding_.media()->path().WithPicture([&](const codec::DecodedPicture& picture) { sink.TryRedraw(picture); });
}

void PictureOverlay::Tick() {
  const uint64_t shown = binding_.overlay_sink() ? binding_.overlay_sink()->shown() : 0;
  stream_idle_ = shown == shown_at_tick_;
  shown_at_tick_ = shown;
}

}  // namespace app::view
