#pragma once
// The camera view's frame in its three screen sizes: the frame's size, the
// caption buttons (audio, speaker and record toggles, then close) and the
// picture area, in pixels relative to the frame's top left corner. The
// status line takes the caption's width left of the first button.
#include <array>
#include <cstdint>

#include "app/docking.h"

namespace app::view {

// The window commands of the screen sizes.
enum ScreenSizeCommand : uint32_t {
  kCommandQcif = 32770,
  kCommand1x = 32774,
  kCommand2x = 32772,
  kCommandFullScreen = 32773,
};

enum class ScreenSize { kQcif, k1x, k2x };

// Caption buttons in their order of creation.
enum CaptionButton { kButtonAudio, kButtonSpeaker, kButtonRecord, kButtonClose, kCaptionButtons };

struct FrameLayout {
  int width = 0, height = 0;
  std::array<ScreenRect, kCaptionButtons> buttons;
  ScreenRect picture;
  ScreenRect status;
};

// The frame of a size at `percent` of its pixels: above 96 DPI the frame
// grows with the display, as the skins do.
FrameLayout LayoutFor(ScreenSize size, int percent = 100);
// The size a screen-size command asks for; false for any other command.
bool ScreenSizeFor(uint32_t command, ScreenSize* size);
// The size a camera's picture width is shown at (176, 320 and 640 wide);
// false for other widths, which keep the size the view has.
bool ScreenSizeForWidth(int width, ScreenSize* size);
uint32_t CommandFor(ScreenSize size);

// Every view takes this size when it is placed (that of "1x", at 100 %).
constexpr int kStandardWidth = 332;
constexpr int kStandardHeight = 273;

}  // namespace app::view
