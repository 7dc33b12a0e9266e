#pragma once
// The cells of a video wall on its monitor: a grid of rows x columns (1x1
// to 6x6), or one of the merged patterns where some cameras take a bigger
// cell: "1+5" (a 3x3 grid whose top-left 2x2 is one cell), "1+7" (4x4, top
// left 3x3 merged) and "2+8" (4x4, its top half two 2x2 cells). Cells are
// numbered row by row from the top left, the big ones first. Pure
// arithmetic in screen pixels; every pixel of the area belongs to one cell.
#include <string>
#include <string_view>
#include <vector>

#include "os/screen_rect.h"

namespace app::wall {

struct WallPattern {
  static constexpr int kMaxSide = 6;
  enum class Merge { kNone, kOnePlusFive, kOnePlusSeven, kTwoPlusEight };
  int rows = 2, columns = 2;  // the grid the cells are cut from
  Merge merge = Merge::kNone;

  int CellCount() const;
  bool operator==(const WallPattern&) const = default;
};

// "3x3", "1+5", "1+7", "2+8"; false for anything else.
bool ParseWallPattern(std::string_view text, WallPattern* pattern);
std::string FormatWallPattern(const WallPattern& pattern);

// The cells' rectangles in `area`, in cell order.
std::vector<os::ScreenRect> CellRects(const WallPattern& pattern, const os::ScreenRect& area);
// The cell under (x, y), or -1 outside the area.
int CellAt(const WallPattern& pattern, const os::ScreenRect& area, int x, int y);

}  // namespace app::wall
