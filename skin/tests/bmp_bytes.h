#pragma once
// Test helpers: Windows bitmap files and skin files of a chosen shape.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "skin/skin_file_writer.h"

namespace skin::testing {

struct BmpLayout {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bit_count = 24;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  std::vector<uint32_t> table;  // colour table or bit-field masks, as written
  std::vector<uint8_t> pixels;  // the pixel rows exactly as stored
  uint16_t type = 0x4D42;
  uint32_t header_size = 40;
  int64_t bits_offset = -1;  // -1: right after the table
};

std::vector<uint8_t> MakeBmp(const BmpLayout& bmp);

// A 2 x 2 24-bit bitmap's layout with its 16 bytes of pixels, then `change` applied.
inline BmpLayout SmallBmp(const std::function<void(BmpLayout&)>& change) {
  BmpLayout layout;
  layout.width = 2;
  layout.height = 2;
  layout.pixels.assign(16, 0x55);
  change(layout);
  return layout;
}

// A 24-bit bottom-up bitmap from rows of characters, top row first; each
// character names a colour 0x00RRGGBB in `palette` ("c=RRGGBB" pairs are
// simpler to read in a test than numbers: see the callers).
std::vector<uint8_t> PictureBmp(const std::vector<std::string>& rows,
                                const std::vector<std::pair<char, uint32_t>>& palette);
std::vector<uint8_t> SolidBmp(int width, int height, uint32_t rgb);

// An item record; `bitmaps` fill the slots from the first, the rest stay unset.
ItemRecord Item(int x, int y, int w, int h, const std::vector<int32_t>& bitmaps, uint32_t transparent);

// A skin file whose items are `records`, named item0, item1, ... unless
// names are given.
std::vector<uint8_t> MakeSkin(const std::vector<ItemRecord>& records, const std::vector<std::vector<uint8_t>>& bitmaps,
                              std::vector<std::string> names = {});

}  // namespace skin::testing
