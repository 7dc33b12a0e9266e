#pragma once
// Texts of the overlay rendered with GDI into coverage masks: white text on
// black in a 32-bit DIB section, the brightness of each pixel its coverage.
// Window thread only. The font is the settings' shared font made bold (or
// the system's GUI font when there is none), at the line height asked for.
#include <windows.h>

#include <map>
#include <string>

#include "app/view/overlay.h"
#include "os/win32/handles.h"

namespace app::view {

class GdiTextRasteriser : public TextRasteriser {
 public:
  explicit GdiTextRasteriser(HFONT base);
  TextMask Render(const std::string& text, int height) override;

 private:
  HFONT FontOf(int height);

  LOGFONTW base_ = {};
  std::map<int, win32::GdiObject<HFONT>> fonts_;
  std::map<std::pair<std::string, int>, TextMask> cache_;
};

}  // namespace app::view
