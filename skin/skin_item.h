#pragma once
// One entry of a skinned window's item list.
#include <string>

#include "skin/skin_format.h"

namespace skin {

struct SkinItem {
  std::string name;  // as registered, then as the skin file names it
  int control_id = 0;
  ItemKind kind = ItemKind::kPlain;
  int x = 0, y = 0, width = 0, height = 0;
  int bitmaps[kBitmapSlots] = {kNoBitmap, kNoBitmap, kNoBitmap, kNoBitmap, kNoBitmap};
  uint32_t transparent = kUnsetColour;
  bool applied = false;
};

}  // namespace skin
