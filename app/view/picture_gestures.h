#pragma once
// What a drag or a double click in the picture asks of the camera: pan/tilt
// steps (tenths of the picture's width and height the pointer moved), or a
// rectangle to zoom to, for cameras that zoom to one. Such cameras take the
// rectangle in the coordinates of a 320-pixel-wide picture. Pure arithmetic
// on picture-area pixels.
namespace app::view {

struct PictureGesture {
  enum class Kind { kNone, kStep, kRectangle };
  Kind kind = Kind::kNone;
  int pan = 0, tilt = 0;                         // kStep
  int left = 0, top = 0, right = 0, bottom = 0;  // kRectangle: where the drag began and ended
};

// Along both axes at least this far, a drag is a rectangle (for cameras
// that zoom to one); less along both, it is only a click.
constexpr int kRectangleMinimum = 10;

// `zooms_to_rectangle`: what the camera says it can do. A drag too narrow
// or too flat for a rectangle steps instead.
PictureGesture DragGesture(int start_x, int start_y, int end_x, int end_y, int client_width, int client_height,
                           bool zooms_to_rectangle);
// A double click centres the camera on the point: a rectangle of one point.
PictureGesture DoubleClickGesture(int x, int y, int client_width);
// Whether the drag so far draws a rectangle over the picture.
bool DragDrawsRectangle(int dx, int dy, bool zooms_to_rectangle);

}  // namespace app::view
