#pragma once
// The layout description of one skin, a small text file:
//
//   # comment
//   window voRizivoMain.skn
//   form   [Form]          0  0 260 400  background=main_form.bmp transparent=0xFF00FF
//   button BUTTON_CONNECT 12 52 114  28  normal=a.bmp over=b.bmp pressed=c.bmp disabled=d.bmp
//   check  CHECK_SHOW_LIST ...            normal=... checked=... disabled=...
//   plain  TREE_SERVER    12 110 236 210
//   slider SLIDER_SEEK    ...             thumb=... thumb_focus=... thumb_drag=... channel=...
//
// One item per line in the window's order: kind, name, x, y, width,
// height, then bitmap files by slot name and an optional transparent colour
// (0x00BBGGRR, or "none" for no region, the default).
#include <cstdint>
#include <string>
#include <vector>

#include "skin/skin_format.h"
#include "skin/window_items.h"

namespace skinpack {

struct LayoutItem {
  skin::ItemKind kind = skin::ItemKind::kPlain;
  std::string name;
  int x = 0, y = 0, width = 0, height = 0;
  std::string files[skin::kBitmapSlots];  // empty: no bitmap in that slot
  uint32_t transparent = skin::kNoRegion;
  int line = 0;
};

struct Layout {
  std::string window;  // the skin file's name, e.g. "voRizivoMain.skn"
  std::vector<LayoutItem> items;
};

// Parses the text; on failure *error names the line and the fault.
bool ParseLayout(const std::string& text, Layout* out, std::string* error);

// The window a layout is for (nullptr when the name is unknown).
const skin::SkinnedWindow* FindWindow(const std::string& skin_file);

// Checks the layout against the window's item table: the same number of
// items, with the same names and kinds, in the same order.
bool CheckItems(const Layout& layout, std::string* error);

// The slot names of a kind ("normal", "over", ... or "thumb", ...), by slot.
const char* SlotName(skin::ItemKind kind, int slot);

}  // namespace skinpack
