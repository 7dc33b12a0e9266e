#pragma once
// A rectangle in screen pixels, as the window placement rules of every
// window (main window, dialogs, views) compute them: pure arithmetic, no
// window system.
namespace os {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  ScreenRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  bool operator==(const ScreenRect&) const = default;
};

}  // namespace os
