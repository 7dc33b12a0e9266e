#pragma once
// Texts of the overlay rendered with GDI into coverage masks: white text on
// black in a 32-bit DIB section, the brightness of each pixel its coverage.
// Window thread only. The font is the settings' shared font made bold, or
// the system's GUI font when there is none.
#include <windows.h>

#include <map>
#include <string>

#include "app/view/overlay.h"
#include "os/win32/handles.h"

namespace app::view {

class GdiTextRasteriser : public TextRasteriser {
 public:
  explicit GdiTextRasteriser(HFONT base);
  TextMask Render(const std::string& text) override;

 private:
  win32::GdiObject<HFONT> font_;
  std::map<std::string, TextMask> cache_;
};

}  // namespace app::view
