// The bitmap reader's header, colour-table and pixel-count logic on
// arbitrary bytes.
#include <cstdint>
#include <vector>

#include "skin/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  skin::MemorySource source(std::vector<uint8_t>(data, data + size));
  skin::DibImage image;
  skin::BmpStatus status = skin::ReadBmp(source, &image);
  if (image.colour_table.size() > 256) __builtin_trap();
  if (image.bits.size() > size || image.bits.size() > skin::PixelAreaBytes(image.info)) __builtin_trap();
  if (status == skin::BmpStatus::kOk && !skin::CanCreateDib(image.info)) __builtin_trap();
  return 0;
}
