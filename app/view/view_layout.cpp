#include "app/view/view_layout.h"

namespace app::view {
namespace {

constexpr ScreenRect Box(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

// The status line runs from the frame's left margin to just before the first button.
constexpr ScreenRect StatusBefore(int first_button_x) { return Box(6, 5, first_button_x - 6 - 6, 16); }

const FrameLayout kLayouts[] = {
    // QCIF: the 1x frame with the 176 x 144 picture in the middle of its area.
    {333, 273, {Box(226, 4, 17, 17), Box(253, 4, 17, 17), Box(277, 4, 17, 17), Box(307, 5, 17, 15)},
     Box(78, 76, 176, 144), StatusBefore(226)},
    // 1x
    {332, 273, {Box(226, 4, 17, 17), Box(253, 4, 17, 17), Box(277, 4, 17, 17), Box(307, 5, 17, 15)},
     Box(6, 28, 320, 240), StatusBefore(226)},
    // 2x
    {652, 513, {Box(546, 4, 17, 17), Box(573, 4, 17, 17), Box(597, 4, 17, 17), Box(627, 5, 17, 15)},
     Box(6, 28, 640, 480), StatusBefore(546)},
};

}  // namespace

FrameLayout LayoutFor(ScreenSize size, int percent) {
  FrameLayout layout = kLayouts[static_cast<int>(size)];
  if (percent == 100) return layout;
  auto scale = [percent](int v) { return static_cast<int>((static_cast<long long>(v) * percent + 50) / 100); };
  auto rect = [&](ScreenRect& r) { r = {scale(r.left), scale(r.top), scale(r.right), scale(r.bottom)}; };
  layout.width = scale(layout.width);
  layout.height = scale(layout.height);
  for (ScreenRect& b : layout.buttons) rect(b);
  rect(layout.picture);
  rect(layout.status);
  return layout;
}

bool ScreenSizeFor(uint32_t command, ScreenSize* size) {
  switch (command) {
    case kCommandQcif: *size = ScreenSize::kQcif; return true;
    case kCommand1x: *size = ScreenSize::k1x; return true;
    case kCommand2x: *size = ScreenSize::k2x; return true;
    default: return false;
  }
}

bool ScreenSizeForWidth(int width, ScreenSize* size) {
  switch (width) {
    case 176: *size = ScreenSize::kQcif; return true;
    case 320: *size = ScreenSize::k1x; return true;
    case 640: *size = ScreenSize::k2x; return true;
    default: return false;
  }
}

uint32_t CommandFor(ScreenSize size) {
  switch (size) {
    case ScreenSize::kQcif: return kCommandQcif;
    case ScreenSize::k1x: return kCommand1x;
    case ScreenSize::k2x: return kCommand2x;
  }
  return kCommand1x;
}

}  // namespace app::view
