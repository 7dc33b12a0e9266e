#pragma once
// Finds the opaque parts of a 32-bit picture as one-row rectangles, the raw
// material of a window's outline region. Portable; the Win32 side turns the
// runs into region objects.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

// Runs are joined into the region in batches of this many rectangles.
inline constexpr size_t kRegionBatch = 2000;

struct RunRect {
  int left, top, right, bottom;  // right and bottom exclusive
  bool operator==(const RunRect&) const = default;
};

struct ByteRange {
  uint8_t low, high;
  bool Holds(uint8_t v) const { return v >= low && v <= high; }
};

// Which pixels count as transparent for the colour 0x00BBGGRR. Each channel
// c of the colour gives low = max(c - 8, 0) and high = min(low + 16, 255).
// A pixel's bytes are taken in memory order (blue, green, red) and held
// against the colour's red, green and blue ranges in that order: the same
// pairing the skins were drawn for, which only matters for colours whose red
// and blue differ.
struct TransparentTest {
  ByteRange first, second, third;  // for memory bytes 0, 1, 2
  explicit TransparentTest(uint32_t colour);
  bool Holds(const uint8_t* pixel) const {
    return first.Holds(pixel[0]) && second.Holds(pixel[1]) && third.Holds(pixel[2]);
  }
};

// Every maximal run of non-transparent pixels, rows from the top (y = 0)
// down and left to right within a row. `top_row` points at the top row's
// first pixel (4 bytes each); `stride` is the byte step to the next row
// down, negative for a bottom-up bitmap.
std::vector<RunRect> FindOpaqueRuns(const uint8_t* top_row, ptrdiff_t stride, int width, int height,
                                    const TransparentTest& transparent);

}  // namespace skin
