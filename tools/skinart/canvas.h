#pragma once
// A small RGB raster for drawing the skin artwork: anti-aliased shapes by
// 4 x 4 supersampling, text from the committed glyph tables, and hard cuts
// to the transparent colour (a region edge cannot be half transparent).
// Everything is plain integer and double arithmetic, so a rebuild draws the
// same bytes.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace skinart {

struct Colour {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Colour&) const = default;
};

constexpr Colour Hex(uint32_t rgb) {
  return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
}

struct Glyph {
  int advance, left, top;
  unsigned width, rows;
  size_t first;
};
struct Font {
  const Glyph* glyphs;  // characters 32 to 126
  const unsigned char* coverage;
  int ascent, line_height;
};

// Whether the point (x, y) lies inside a shape; x and y in pixels, pixel
// (i, j) covering [i, i + 1) x [j, j + 1).
using Shape = std::function<bool(double x, double y)>;

Shape RoundRect(double left, double top, double right, double bottom, double radius);
Shape Circle(double cx, double cy, double radius);
// A stroke of `width` between two points with round ends.
Shape Stroke(double x0, double y0, double x1, double y1, double width);
Shape Union(Shape a, Shape b);

class Canvas {
 public:
  Canvas(int width, int height, Colour fill);
  int width() const { return width_; }
  int height() const { return height_; }
  Colour At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }
  void Set(int x, int y, Colour c);
  // Mixes c into pixel (x, y) by alpha 0..1.
  void Blend(int x, int y, Colour c, double alpha);

  // Fills the shape; `box` (x, y, w, h) limits the pixels looked at.
  struct Box {
    int x, y, w, h;
  };
  void Fill(const Shape& shape, Colour c, double opacity = 1.0);
  void Fill(const Shape& shape, Colour c, double opacity, Box box);
  // Pixels the shape covers by less than half become `transparent`.
  void CutOutside(const Shape& shape, Colour transparent);
  void FillRect(int x, int y, int w, int h, Colour c);

  static int TextWidth(const std::string& text, const Font& font);
  // Draws text with its baseline at y.
  void Text(int x, int baseline, const std::string& text, const Font& font, Colour c);
  // Text centred in the box (x, y, w, h).
  void TextCentred(int x, int y, int w, int h, const std::string& text, const Font& font, Colour c);

  Canvas Crop(int x, int y, int w, int h) const;
  // A 24-bit bottom-up Windows bitmap file.
  std::vector<uint8_t> ToBmp() const;

 private:
  double Coverage(const Shape& shape, int x, int y) const;
  int width_, height_;
  std::vector<Colour> pixels_;
};

}  // namespace skinart
