#include "skin/region_runs.h"

#include <algorithm>

namespace skin {
namespace {

ByteRange RangeAround(uint32_t channel) {
  int low = std::max(static_cast<int>(channel) - 8, 0);
  int high = std::min(low + 16, 255);
  return {static_cast<uint8_t>(low), static_cast<uint8_t>(high)};
}

}  // namespace

TransparentTest::TransparentTest(uint32_t colour)
    : first(RangeAround(colour & 0xFF)),
      second(RangeAround((colour >> 8) & 0xFF)),
      third(RangeAround((colour >> 16) & 0xFF)) {}

std::vector<RunRect> FindOpaqueRuns(const uint8_t* top_row, ptrdiff_t stride, int width, int height,
                                    const TransparentTest& transparent) {
  std::vector<RunRect> runs;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = top_row + stride * y;
    int x = 0;
    while (x < width) {
      while (x < width && transparent.Holds(row + 4 * x)) ++x;
      int x0 = x;
      while (x < width && !transparent.Holds(row + 4 * x)) ++x;
      if (x > x0) runs.push_back({x0, y, x, y + 1});
    }
  }
  return runs;
}

}  // namespace skin
