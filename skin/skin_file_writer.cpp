#include "skin/skin_file_writer.h"

namespace skin {

std::vector<uint8_t> WriteSkinFile(const SkinFileImage& image) {
  const auto item_count = static_cast<uint32_t>(image.records.size());
  uint32_t name_block_size = 0;
  for (const std::string& name : image.names) name_block_size += static_cast<uint32_t>(name.size()) + 1;

  std::vector<uint8_t> out;
  PutU32(out, kSkinMark);
  PutU32(out, static_cast<uint32_t>(image.bitmaps.size()));
  PutU32(out, item_count);
  PutU32(out, 0);
  PutU32(out, 0);  // block 1 is empty
  PutU32(out, name_block_size);
  out.insert(out.end(), 4 * size_t{item_count}, 0);  // block 2
  for (const std::string& name : image.names) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
  }
  for (const ItemRecord& r : image.records) {
    PutU32(out, static_cast<uint32_t>(r.x));
    PutU32(out, static_cast<uint32_t>(r.y));
    PutU32(out, static_cast<uint32_t>(r.width));
    PutU32(out, static_cast<uint32_t>(r.height));
    out.insert(out.end(), 20, 0);
    for (int32_t index : r.bitmaps) PutU32(out, static_cast<uint32_t>(index));
    PutU32(out, r.transparent);
  }
  for (const auto& bmp : image.bitmaps) PutU32(out, static_cast<uint32_t>(bmp.size()));
  for (const auto& bmp : image.bitmaps) out.insert(out.end(), bmp.begin(), bmp.end());
  return out;
}

}  // namespace skin
