#include "app/view/overlay.h"

#include <algorithm>
#include <cmath>

namespace app::view {
namespace {

constexpr int kMargin = 3;     // between a text and the picture's edge
constexpr int kLineGap = 1;    // between the top line and the one below it
constexpr int kFrameWidth = 2; // the drag frame's lines

uint8_t Clamp(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

uint8_t Blend(uint8_t under, uint8_t over, int alpha) {
  return static_cast<uint8_t>((under * (255 - alpha) + over * alpha + 127) / 255);
}

// Plane pointers of an I420 picture.
struct Planes {
  uint8_t *y, *u, *v;
  int w, h, cw, ch;
  explicit Planes(const codec::DecodedPicture& p)
      : y(p.data), u(p.data + size_t(p.width) * p.height),
        v(p.data + size_t(p.width) * p.height + size_t(p.width / 2) * (p.height / 2)), w(p.width), h(p.height),
        cw(p.width / 2), ch(p.height / 2) {}
};

int Scale(int v, int to, int from) { return from > 0 ? static_cast<int>(int64_t(v) * to / from) : v; }

}  // namespace

Yuv ToYuv(Colour c) {
  const double r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return {Clamp(0.299 * r + 0.587 * g + 0.114 * b), Clamp(128 - 0.168736 * r - 0.331264 * g + 0.5 * b),
          Clamp(128 + 0.5 * r - 0.418688 * g - 0.081312 * b)};
}

std::vector<OverlayLine> OverlayLines(const OverlayContent& c) {
  std::vector<OverlayLine> lines;
  if (c.show_status) {
    std::string text = c.status;
    if (c.viewers > 1) text += (text.empty() ? "" : "  ") + std::to_string(c.viewers / 2) + " User";
    if (!text.empty()) lines.push_back({text, kYellow, OverlayBand::kTop});
  }
  if (c.recording) lines.push_back({"REC", kRed, OverlayBand::kBelowTop});
  if (c.end_of_file) lines.push_back({"End of File", kWhite, OverlayBand::kMiddle});
  if (!c.no_video.empty() && !c.end_of_file) lines.push_back({c.no_video, kWhite, OverlayBand::kMiddle});
  if (!c.motion.empty()) lines.push_back({c.motion, kAmber, OverlayBand::kAboveBottom});
  if (!c.name.empty()) lines.push_back({c.name, kMagenta, OverlayBand::kBottom});
  return lines;
}

std::shared_ptr<const Overlay> Overlay::Make(const OverlayContent& content, TextRasteriser& rasteriser) {
  auto overlay = std::make_shared<Overlay>();
  for (const OverlayLine& line : OverlayLines(content))
    overlay->texts_.push_back({rasteriser.Render(line.text, content.text_height), line.colour, line.band});
  overlay->drag_ = content.drag && content.area_width > 0 && content.area_height > 0;
  overlay->grey_ = !content.no_video.empty() && !content.end_of_file;
  overlay->drag_rect_ = content.drag_rect;
  overlay->area_width_ = content.area_width;
  overlay->area_height_ = content.area_height;
  overlay->mask_grid_ = content.mask_grid;
  overlay->mask_ = content.mask;
  overlay->changed_ = content.changed;
  overlay->objects_ = content.objects;
  return overlay;
}

std::vector<ScreenRect> Overlay::Layout(int width, int height) const {
  std::vector<ScreenRect> places;
  int top_height = 0, bottom_height = 0;
  for (const Text& t : texts_) {
    if (t.band == OverlayBand::kTop) top_height = t.mask.height;
    if (t.band == OverlayBand::kBottom) bottom_height = t.mask.height;
  }
  for (const Text& t : texts_) {
    // Centred; a text wider than the picture starts at its left edge, so a
    // long camera name loses its end, not both ends.
    const int x = std::max(0, (width - t.mask.width) / 2);
    int y = kMargin;
    switch (t.band) {
      case OverlayBand::kTop: y = kMargin; break;
      case OverlayBand::kBelowTop: y = kMargin + (top_height > 0 ? top_height + kLineGap : 0); break;
      case OverlayBand::kMiddle: y = (height - t.mask.height) / 2; break;
      case OverlayBand::kAboveBottom:
        y = height - kMargin - t.mask.height - (bottom_height > 0 ? bottom_height + kLineGap : 0);
        break;
      case OverlayBand::kBottom: y = height - kMargin - t.mask.height; break;
    }
    places.push_back({x, y, x + t.mask.width, y + t.mask.height});
  }
  return places;
}

bool Overlay::DragFrame(int width, int height, ScreenRect* frame) const {
  if (!drag_) return false;
  const ScreenRect& r = drag_rect_;
  *frame = {Scale(std::min(r.left, r.right), width, area_width_), Scale(std::min(r.top, r.bottom), height, area_height_),
            Scale(std::max(r.left, r.right), width, area_width_),
            Scale(std::max(r.top, r.bottom), height, area_height_)};
  return true;
}

void Overlay::Paint(const codec::DecodedPicture& picture) const {
  if (!picture.data || picture.width <= 0 || picture.height <= 0) return;
  if (grey_) PaintGrey(picture);
  // Under the texts, so they stay readable while the mask is edited.
  if (mask_grid_) {
    PaintMotionCells(picture, changed_, objects_);
    PaintMaskGrid(picture, mask_);
  }
  const std::vector<ScreenRect> places = Layout(picture.width, picture.height);
  for (size_t i = 0; i < texts_.size(); ++i) {
    // A black shadow one pixel down and right keeps yellow text readable on
    // a bright picture; the background stays the picture.
    PaintMask(picture, texts_[i].mask, places[i].left + 1, places[i].top + 1, kBlack);
    PaintMask(picture, texts_[i].mask, places[i].left, places[i].top, texts_[i].colour);
  }
  ScreenRect frame;
  if (DragFrame(picture.width, picture.height, &frame)) PaintOutline(picture, frame, kFrameWidth, kWhite);
}

void PaintGrey(const codec::DecodedPicture& picture) {
  const Planes p(picture);
  for (size_t i = 0, n = size_t(p.w) * p.h; i < n; ++i) p.y[i] = static_cast<uint8_t>(p.y[i] / 2);
  const size_t chroma = size_t(p.cw) * p.ch;
  std::fill(p.u, p.u + chroma, uint8_t{128});
  std::fill(p.v, p.v + chroma, uint8_t{128});
}

void PaintMask(const codec::DecodedPicture& picture, const TextMask& mask, int x0, int y0, Colour colour) {
  if (mask.coverage.size() < size_t(mask.width) * size_t(mask.height)) return;
  const Planes p(picture);
  const Yuv c = ToYuv(colour);
  const int left = std::max(0, x0), right = std::min(p.w, x0 + mask.width);
  const int top = std::max(0, y0), bottom = std::min(p.h, y0 + mask.height);
  if (left >= right || top >= bottom) return;
  for (int y = top; y < bottom; ++y) {
    const uint8_t* cov = &mask.coverage[size_t(y - y0) * mask.width];
    uint8_t* row = p.y + size_t(y) * p.w;
    for (int x = left; x < right; ++x)
      if (const int a = cov[x - x0]) row[x] = Blend(row[x], c.y, a);
  }
  // Each chroma sample serves a 2 x 2 block: it takes the strongest
  // coverage of its block, so thin strokes keep their colour.
  for (int cy = top / 2; cy < (bottom + 1) / 2 && cy < p.ch; ++cy) {
    for (int cx = left / 2; cx < (right + 1) / 2 && cx < p.cw; ++cx) {
      int a = 0;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const int mx = 2 * cx + dx - x0, my = 2 * cy + dy - y0;
          if (mx >= 0 && my >= 0 && mx < mask.width && my < mask.height)
            a = std::max<int>(a, mask.coverage[size_t(my) * mask.width + mx]);
        }
      if (a == 0) continue;
      uint8_t& u = p.u[size_t(cy) * p.cw + cx];
      uint8_t& v = p.v[size_t(cy) * p.cw + cx];
      u = Blend(u, c.u, a);
      v = Blend(v, c.v, a);
    }
  }
}

void PaintOutline(const codec::DecodedPicture& picture, const ScreenRect& r, int thickness, Colour colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  // The outline as four solid strips, painted like a fully covered mask.
  auto strip = [&](int x, int y, int w, int h) {
    TextMask solid{w, h, std::vector<uint8_t>(size_t(std::max(0, w)) * size_t(std::max(0, h)), 255)};
    PaintMask(picture, solid, x, y, colour);
  };
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int t = std::min({thickness, w, h});
  strip(r.left, r.top, w, t);
  strip(r.left, r.bottom - t, w, t);
  strip(r.left, r.top + t, t, h - 2 * t);
  strip(r.right - t, r.top + t, t, h - 2 * t);
}

void PaintMaskGrid(const codec::DecodedPicture& picture, const MotionMask& mask) {
  if (!picture.data || picture.width < 2 || picture.height < 2) return;
  const Planes p(picture);
  constexpr int kColumns = node::MotionDetector::kColumns, kRows = node::MotionDetector::kRows;
  constexpr int kShade = 128;  // how far a masked cell goes towards black
  constexpr int kLine = 96;    // how far a cell line goes towards white
  for (int y = 0; y < p.h; ++y) {
    const int row = y * kRows / p.h;
    const bool line_row = y > 0 && (y - 1) * kRows / p.h != row;
    uint8_t* luma = p.y + size_t(y) * p.w;
    for (int x = 0; x < p.w; ++x) {
      const int column = x * kColumns / p.w;
      const bool line = line_row || (x > 0 && (x - 1) * kColumns / p.w != column);
      if (mask.test(size_t(row * kColumns + column))) luma[x] = Blend(luma[x], 0, kShade);
      if (line) luma[x] = Blend(luma[x], 255, kLine);
    }
  }
  // Masked cells also lose most of their colour, so they read as "off" on any picture.
  for (int y = 0; y < p.ch; ++y) {
    const int row = 2 * y * kRows / p.h;
    for (int x = 0; x < p.cw; ++x) {
      if (!mask.test(size_t(row * kColumns + 2 * x * kColumns / p.w))) continue;
      uint8_t* u = p.u + size_t(y) * p.cw + x;
      uint8_t* v = p.v + size_t(y) * p.cw + x;
      *u = Blend(*u, 128, kShade);
      *v = Blend(*v, 128, kShade);
    }
  }
}

void PaintMotionCells(const codec::DecodedPicture& picture, const MotionMask& changed, const MotionMask& objects) {
  if (!picture.data || picture.width < 2 || picture.height < 2 || (changed.none() && objects.none())) return;
  const Planes p(picture);
  constexpr int kColumns = node::MotionDetector::kColumns, kRows = node::MotionDetector::kRows;
  constexpr int kTint = 112;  // how far a cell's colour goes towards its tint
  for (int y = 0; y < p.ch; ++y) {
    const int row = 2 * y * kRows / p.h;
    for (int x = 0; x < p.cw; ++x) {
      const size_t cell = size_t(row * kColumns + 2 * x * kColumns / p.w);
      const bool object = objects.test(cell);
      if (!object && !changed.test(cell)) continue;
      uint8_t* u = p.u + size_t(y) * p.cw + x;
      uint8_t* v = p.v + size_t(y) * p.cw + x;
      *u = Blend(*u, object ? 90 : 240, kTint);  // red for objects, blue for changes too small to count
      *v = Blend(*v, object ? 240 : 110, kTint);
    }
  }
}

}  // namespace app::view
