#include "canvas.h"
#include "os/byte_order.h"

#include <algorithm>
#include <cmath>


namespace skinart {
namespace {

constexpr int kSamples = 4;

uint8_t Mix(uint8_t a, uint8_t b, double alpha) {
  return static_cast<uint8_t>(std::lround(a + (b - a) * alpha));
}

}  // namespace

Shape RoundRect(double left, double top, double right, double bottom, double radius) {
  return [=](double x, double y) {
    if (x < left || x >= right || y < top || y >= bottom) return false;
    double dx = std::max({left + radius - x, 0.0, x - (right - radius)});
    double dy = std::max({top + radius - y, 0.0, y - (bottom - radius)});
    return dx * dx + dy * dy <= radius * radius;
  };
}

Shape Circle(double cx, double cy, double radius) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

Shape Stroke(double x0, double y0, double x1, double y1, double width) {
  return [=](double x, double y) {
    double vx = x1 - x0, vy = y1 - y0;
    double t = std::clamp(((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    double dx = x - (x0 + t * vx), dy = y - (y0 + t * vy);
    return dx * dx + dy * dy <= width * width / 4;
  };
}

Shape Union(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) || b(x, y); };
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width * height), fill) {}

void Canvas::Set(int x, int y, Colour c) {
  if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[static_cast<size_t>(y * width_ + x)] = c;
}

void Canvas::Blend(int x, int y, Colour c, double alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
  Colour& p = pixels_[static_cast<size_t>(y * width_ + x)];
  p = {Mix(p.r, c.r, alpha), Mix(p.g, c.g, alpha), Mix(p.b, c.b, alpha)};
}

double Canvas::Coverage(const Shape& shape, int x, int y) const {
  int inside = 0;
  for (int j = 0; j < kSamples; ++j)
    for (int i = 0; i < kSamples; ++i)
      inside += shape(x + (i + 0.5) / kSamples, y + (j + 0.5) / kSamples) ? 1 : 0;
  return static_cast<double>(inside) / (kSamples * kSamples);
}

void Canvas::Fill(const Shape& shape, Colour c, double opacity) { Fill(shape, c, opacity, {0, 0, width_, height_}); }

void Canvas::Fill(const Shape& shape, Colour c, double opacity, Box box) {
  for (int y = std::max(box.y, 0); y < std::min(box.y + box.h, height_); ++y)
    for (int x = std::max(box.x, 0); x < std::min(box.x + box.w, width_); ++x)
      Blend(x, y, c, Coverage(shape, x, y) * opacity);
}

void Canvas::CutOutside(const Shape& shape, Colour transparent) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (Coverage(shape, x, y) < 0.5) Set(x, y, transparent);
}

void Canvas::FillRect(int x, int y, int w, int h, Colour c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Set(i, j, c);
}

int Canvas::TextWidth(const std::string& text, const Font& font) {
  int w = 0;
  for (char ch : text)
    if (ch >= 32 && ch < 127) w += font.glyphs[ch - 32].advance;
  return w;
}

void Canvas::Text(int x, int baseline, const std::string& text, const Font& font, Colour c) {
  for (char ch : text) {
    if (ch < 32 || ch >= 127) continue;
    const Glyph& g = font.glyphs[ch - 32];
    for (unsigned row = 0; row < g.rows; ++row)
      for (unsigned col = 0; col < g.width; ++col)
        Blend(x + g.left + static_cast<int>(col), baseline - g.top + static_cast<int>(row), c,
              font.coverage[g.first + row * g.width + col] / 255.0);
    x += g.advance;
  }
}

void Canvas::TextCentred(int x, int y, int w, int h, const std::string& text, const Font& font, Colour c) {
  int left = x + (w - TextWidth(text, font)) / 2;
  // Centre the capital height (about 0.73 of the ascent) in the box.
  int cap = font.ascent * 73 / 100;
  Text(left, y + (h + cap) / 2, text, font, c);
}

Canvas Canvas::Crop(int x, int y, int w, int h) const {
  Canvas out(w, h, {});
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (x + i < width_ && y + j < height_) out.Set(i, j, At(x + i, y + j));
  return out;
}

std::vector<uint8_t> Canvas::ToBmp() const {
  const uint32_t stride = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
  const uint32_t image = stride * static_cast<uint32_t>(height_);
  std::vector<uint8_t> out;
  os::AppendLE16(out, 0x4D42);
  os::AppendLE32(out, 54 + image);
  os::AppendLE32(out, 0);
  os::AppendLE32(out, 54);
  os::AppendLE32(out, 40);
  os::AppendLE32(out, static_cast<uint32_t>(width_));
  os::AppendLE32(out, static_cast<uint32_t>(height_));
  os::AppendLE16(out, 1);
  os::AppendLE16(out, 24);
  os::AppendLE32(out, 0);
  os::AppendLE32(out, image);
  os::AppendLE32(out, 2835);  // 72 dpi
  os::AppendLE32(out, 2835);
  os::AppendLE32(out, 0);
  os::AppendLE32(out, 0);
  for (int y = height_ - 1; y >= 0; --y) {
    size_t row_start = out.size();
    for (int x = 0; x < width_; ++x) {
      Colour c = At(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    out.resize(row_start + stride, 0);
  }
  return out;
}

}  // namespace skinart
