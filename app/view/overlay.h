#pragma once
// What a camera view paints over its picture: the rate text in yellow (with
// "%d User" for half the viewer count above 1) while the rate display is on,
// the view's name in magenta, "REC" in red while recording, "End of File"
// when a stored file has ended, a greyed picture with "No video since
// HH:MM:SS" when a live view stalled, the frame of the rectangle a drag is
// about to send, and the motion mask's grid while its settings are open
// (masked cells darkened, the cell lines lightened, both translucent). Each
// text is centred on a line of its own, over a thin
// shadow so that it reads on any picture. The texts go
// into the picture's pixels, so the renderer shows picture and texts in
// one draw and nothing flickers.
//
// An Overlay is made on the window's thread (texts rendered to coverage
// masks there) and then only read, by the media worker and by repaints.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/docking.h"
#include "app/view/motion_mask.h"
#include "codec/video/video_decoder.h"

namespace app::view {

// COLORREF layout, 0x00BBGGRR.
using Colour = uint32_t;
constexpr Colour kYellow = 0x0000FFFF;
constexpr Colour kMagenta = 0x00FF00FF;
constexpr Colour kRed = 0x000000FF;
constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kAmber = 0x0000A5FF;
constexpr Colour kBlack = 0x00000000;

// One text as a coverage mask, rows top-down, 0 (none) to 255 (full).
struct TextMask {
  int width = 0, height = 0;
  std::vector<uint8_t> coverage;
};

class TextRasteriser {
 public:
  virtual ~TextRasteriser() = default;
  // `height`: the text's line height in picture pixels.
  virtual TextMask Render(const std::string& text, int height) = 0;
};

// The view's state the overlay shows.
struct OverlayContent {
  int text_height = 13;  // screen pixels: the overlay is painted at the screen's size
  std::string status;    // "%d fps, %d kbps"
  bool show_status = true;
  int viewers = 0;
  std::string name;
  bool recording = false;
  bool end_of_file = false;
  std::string motion;  // shown while a motion lasts; empty otherwise
  // A stalled live view: the picture greyed, this text ("No video since
  // HH:MM:SS") in its middle; empty otherwise.
  std::string no_video;
  // A drag that qualifies for a rectangle: its corners in the coordinates
  // of the picture area, which is area_width x area_height on the screen.
  bool drag = false;
  ScreenRect drag_rect;
  int area_width = 0, area_height = 0;
  bool mask_grid = false;  // the motion settings are open
  MotionMask mask;
  // With the grid: the cells that change now, and those of them that make
  // up objects large enough to count, so a user sees what would fire.
  MotionMask changed, objects;
};

enum class OverlayBand { kTop, kBelowTop, kMiddle, kAboveBottom, kBottom };

struct OverlayLine {
  std::string text;
  Colour colour;
  OverlayBand band;
  bool operator==(const OverlayLine&) const = default;
};

// The lines the content asks for, top to bottom.
std::vector<OverlayLine> OverlayLines(const OverlayContent& content);

class Overlay {
 public:
  struct Text {
    TextMask mask;
    Colour colour;
    OverlayBand band;
  };
  static std::shared_ptr<const Overlay> Make(const OverlayContent& content, TextRasteriser& rasteriser);

  bool empty() const { return texts_.empty() && !drag_ && !grey_ && !mask_grid_; }
  // Paints every text and the drag frame into `picture` (I420).
  void Paint(const codec::DecodedPicture& picture) const;
  // Where each text goes in a picture of this size (its top left corner).
  std::vector<ScreenRect> Layout(int width, int height) const;
  const std::vector<Text>& texts() const { return texts_; }
  // The drag frame in picture coordinates, when there is one.
  bool DragFrame(int width, int height, ScreenRect* frame) const;

 private:
  std::vector<Text> texts_;
  bool drag_ = false;
  bool grey_ = false;  // the picture is old: no colour, dimmed
  bool mask_grid_ = false;
  MotionMask mask_, changed_, objects_;
  ScreenRect drag_rect_;
  int area_width_ = 0, area_height_ = 0;
};

// Painting into an I420 picture, for the overlay and the tests: a mask in a
// colour at (x, y), clipped to the picture; the outline of a rectangle.
void PaintMask(const codec::DecodedPicture& picture, const TextMask& mask, int x, int y, Colour colour);
void PaintOutline(const codec::DecodedPicture& picture, const ScreenRect& rect, int thickness, Colour colour);
// The picture without colour and at half its brightness, so white text on it reads.
void PaintGrey(const codec::DecodedPicture& picture);
// The detector's grid over the picture: masked cells darkened, lines lightened.
void PaintMaskGrid(const codec::DecodedPicture& picture, const MotionMask& mask);
// Cells that change tinted blue, those that make up objects tinted red.
void PaintMotionCells(const codec::DecodedPicture& picture, const MotionMask& changed, const MotionMask& objects);

struct Yuv {
  uint8_t y, u, v;
};
// Full-range YCbCr, the inverse of the renderers' conversion to RGB.
Yuv ToYuv(Colour colour);

}  // namespace app::view
