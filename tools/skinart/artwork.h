#pragma once
// Draws every bitmap a skin layout names: the window backgrounds and the
// faces of its buttons, check boxes and slider, in one quiet dark look shared
// by all of the viewer's windows.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "layout.h"

namespace skinart {

// File name -> BMP bytes, for every file the layout names.
using Bitmaps = std::map<std::string, std::vector<uint8_t>>;

bool DrawSkinArt(const skinpack::Layout& layout, Bitmaps* out, std::string* error);

}  // namespace skinart
