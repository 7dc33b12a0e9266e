#pragma once
// What a video wall shows: the monitor it fills, its pattern of cells and
// the camera of each cell. Walls are saved with the layouts and come from
// the start option "--wall MONITOR[:PATTERN]".
#include <string>
#include <string_view>
#include <vector>

#include "app/wall/wall_grid.h"

namespace app::wall {

struct WallCamera {
  bool hosted = false;  // a camera of the hosting server by its id, else a camera entry of the server list
  std::string name;     // empty: the cell shows no camera
  bool empty() const { return name.empty(); }
  bool operator==(const WallCamera&) const = default;
};

struct WallSetup {
  static constexpr int kMaxMonitor = 16;
  int monitor = 1;  // 1 is the primary monitor, then the others as Windows lists them
  WallPattern pattern;
  // One per cell of the pattern, in cell order.
  std::vector<WallCamera> cells = std::vector<WallCamera>(4);
  std::string tour;  // the stored camera tour it runs; empty: none

  // A new pattern keeps the cameras of the first cells that it still has.
  void SetPattern(const WallPattern& next);
  // The first cell without a camera, or -1 when every cell has one.
  int FirstEmptyCell() const;
  bool operator==(const WallSetup&) const = default;
};

// The value of "--wall": "2" (the monitor, a 2x2 grid) or "2:3x3", "1:1+5".
bool ParseWallOption(std::string_view text, WallSetup* setup, std::string* error);

// A camera name as the stored forms keep it: to the line's end, so not
// empty and without control characters.
bool ValidCameraName(std::string_view name);

}  // namespace app::wall
