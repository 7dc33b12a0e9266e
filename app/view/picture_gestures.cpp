#include "app/view/picture_gestures.h"

#include <cstdlib>

namespace app::view {
namespace {

int PictureCoordinate(int v, int client_width) { return client_width > 320 ? v / 2 : v; }

PictureGesture Rectangle(int left, int top, int right, int bottom, int client_width) {
  PictureGesture g;
  g.kind = PictureGesture::Kind::kRectangle;
  g.left = PictureCoordinate(left, client_width);
  g.top = PictureCoordinate(top, client_width);
  g.right = PictureCoordinate(right, client_width);
  g.bottom = PictureCoordinate(bottom, client_width);
  return g;
}

}  // namespace

bool DragDrawsRectangle(int dx, int dy, bool zooms_to_rectangle) {
  return zooms_to_rectangle && std::abs(dx) >= kRectangleMinimum && std::abs(dy) >= kRectangleMinimum;
}

PictureGesture DragGesture(int start_x, int start_y, int end_x, int end_y, int client_width, int client_height,
                           bool zooms_to_rectangle) {
  if (client_width <= 0 || client_height <= 0) return {};
  const int dx = end_x - start_x, dy = end_y - start_y;
  if (DragDrawsRectangle(dx, dy, zooms_to_rectangle)) return Rectangle(start_x, start_y, end_x, end_y, client_width);
  const bool click = std::abs(dx) < kRectangleMinimum && std::abs(dy) < kRectangleMinimum;
  if (zooms_to_rectangle && click) return {};
  PictureGesture g;
  g.kind = PictureGesture::Kind::kStep;
  g.pan = dx * 10 / client_width;
  g.tilt = dy * 10 / client_height;
  return g;
}

PictureGesture DoubleClickGesture(int x, int y, int client_width) { return Rectangle(x, y, x, y, client_width); }

}  // namespace app::view
