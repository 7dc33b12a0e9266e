#include "skin/skin_file_writer.h"

#include "os/byte_order.h"

namespace skin {

std::vector<uint8_t> WriteSkinFile(const SkinFileImage& image) {
  const auto item_count = static_cast<uint32_t>(image.records.size());
  uint32_t name_block_size = 0;
  for (const std::string& name : image.names) name_block_size += static_cast<uint32_t>(name.size()) + 1;

  std::vector<uint8_t> out;
  os::AppendLE32(out, kSkinMark);
  os::AppendLE32(out, static_cast<uint32_t>(image.bitmaps.size()));
  os::AppendLE32(out, item_count);
  os::AppendLE32(out, 0);
  os::AppendLE32(out, 0);  // block 1 is empty
  os::AppendLE32(out, name_block_size);
  out.insert(out.end(), 4 * size_t{item_count}, 0);  // block 2
  for (const std::string& name : image.names) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
  }
  for (const ItemRecord& r : image.records) {
    os::AppendLE32(out, static_cast<uint32_t>(r.x));
    os::AppendLE32(out, static_cast<uint32_t>(r.y));
    os::AppendLE32(out, static_cast<uint32_t>(r.width));
    os::AppendLE32(out, static_cast<uint32_t>(r.height));
    out.insert(out.end(), 20, 0);
    for (int32_t index : r.bitmaps) os::AppendLE32(out, static_cast<uint32_t>(index));
    os::AppendLE32(out, r.transparent);
  }
  for (const auto& bmp : image.bitmaps) os::AppendLE32(out, static_cast<uint32_t>(bmp.size()));
  for (const auto& bmp : image.bitmaps) out.insert(out.end(), bmp.begin(), bmp.end());
  return out;
}

}  // namespace skin
