// The skin file reader and, for every bitmap it finds, the bitmap reader, on
// arbitrary bytes. The window's capacity is taken from the file itself so
// the fuzzer gets past the item-count check, and also tried as 10.
#include <cstdint>
#include <vector>

#include "os/byte_order.h"
#include "skin/bmp_reader.h"
#include "skin/skin_file_reader.h"

namespace {

void ReadAll(skin::MemorySource& source, uint32_t capacity) {
  skin::SkinFileContents contents;
  if (skin::ReadSkinFile(source, capacity, &contents) != skin::SkinReadStatus::kOk) return;
  if (contents.names.size() != capacity || contents.records.size() != capacity) __builtin_trap();
  for (const skin::BitmapExtent& extent : contents.bitmaps) {
    if (extent.offset + extent.size > source.Size()) __builtin_trap();
    skin::SubSource bitmap(source, extent.offset, extent.size);
    skin::DibImage image;
    skin::ReadBmp(bitmap, &image);
    if (image.bits.size() > extent.size) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so a read past the end is caught.
  skin::MemorySource source(std::vector<uint8_t>(data, data + size));
  uint32_t stated = size >= 12 ? os::GetLE32(data + 8) : 0;
  // Far more items than any window has would only make the fuzzer allocate.
  if (stated <= 4096) ReadAll(source, stated);
  ReadAll(source, 10);
  return 0;
}
