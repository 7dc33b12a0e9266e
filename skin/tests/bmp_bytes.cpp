#include "skin/tests/bmp_bytes.h"

#include "os/byte_order.h"
#include "skin/skin_format.h"

namespace skin::testing {

std::vector<uint8_t> MakeBmp(const BmpLayout& bmp) {
  const uint32_t offset =
      bmp.bits_offset >= 0 ? static_cast<uint32_t>(bmp.bits_offset) : 54 + 4 * static_cast<uint32_t>(bmp.table.size());
  std::vector<uint8_t> out;
  os::AppendLE16(out, bmp.type);
  os::AppendLE32(out, 54 + 4 * static_cast<uint32_t>(bmp.table.size()) + static_cast<uint32_t>(bmp.pixels.size()));
  os::AppendLE32(out, 0);
  os::AppendLE32(out, offset);
  os::AppendLE32(out, bmp.header_size);
  os::AppendLE32(out, static_cast<uint32_t>(bmp.width));
  os::AppendLE32(out, static_cast<uint32_t>(bmp.height));
  os::AppendLE16(out, 1);
  os::AppendLE16(out, bmp.bit_count);
  os::AppendLE32(out, bmp.compression);
  os::AppendLE32(out, static_cast<uint32_t>(bmp.pixels.size()));
  os::AppendLE32(out, 0);
  os::AppendLE32(out, 0);
  os::AppendLE32(out, bmp.colours_used);
  os::AppendLE32(out, 0);
  for (uint32_t entry : bmp.table) os::AppendLE32(out, entry);
  out.insert(out.end(), bmp.pixels.begin(), bmp.pixels.end());
  return out;
}

std::vector<uint8_t> PictureBmp(const std::vector<std::string>& rows,
                                const std::vector<std::pair<char, uint32_t>>& palette) {
  BmpLayout bmp;
  bmp.height = static_cast<int32_t>(rows.size());
  bmp.width = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  const size_t stride = (static_cast<size_t>(bmp.width) * 3 + 3) & ~size_t{3};
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    size_t start = bmp.pixels.size();
    for (char c : *row) {
      uint32_t rgb = 0;
      for (const auto& [name, colour] : palette)
        if (name == c) rgb = colour;
      bmp.pixels.push_back(static_cast<uint8_t>(rgb));
      bmp.pixels.push_back(static_cast<uint8_t>(rgb >> 8));
      bmp.pixels.push_back(static_cast<uint8_t>(rgb >> 16));
    }
    bmp.pixels.resize(start + stride, 0);
  }
  return MakeBmp(bmp);
}

std::vector<uint8_t> SolidBmp(int width, int height, uint32_t rgb) {
  std::vector<std::string> rows(static_cast<size_t>(height), std::string(static_cast<size_t>(width), 'x'));
  return PictureBmp(rows, {{'x', rgb}});
}

ItemRecord Item(int x, int y, int w, int h, const std::vector<int32_t>& bitmaps, uint32_t transparent) {
  ItemRecord r;
  r.x = x;
  r.y = y;
  r.width = w;
  r.height = h;
  for (size_t s = 0; s < bitmaps.size(); ++s) r.bitmaps[s] = bitmaps[s];
  r.transparent = transparent;
  return r;
}

std::vector<uint8_t> MakeSkin(const std::vector<ItemRecord>& records, const std::vector<std::vector<uint8_t>>& bitmaps,
                              std::vector<std::string> names) {
  SkinFileImage image;
  image.records = records;
  image.bitmaps = bitmaps;
  if (names.empty())
    for (size_t i = 0; i < records.size(); ++i) names.push_back("item" + std::to_string(i));
  image.names = std::move(names);
  return WriteSkinFile(image);
}

}  // namespace skin::testing
