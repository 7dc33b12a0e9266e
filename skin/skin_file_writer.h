#pragma once
// Writes a skin file: the other half of the format, used by the skin packer
// and by tests that need files of a chosen shape. Block 1, block 2, header
// offset 12 and record bytes 16 to 35 are written as zeros.
#include <cstdint>
#include <string>
#include <vector>

#include "skin/skin_format.h"

namespace skin {

struct SkinFileImage {
  std::vector<std::string> names;
  std::vector<ItemRecord> records;
  std::vector<std::vector<uint8_t>> bitmaps;  // complete BMP files
};

// The file's bytes. Names must not contain NUL; names and records must be
// equally many (the packer checks both before calling).
std::vector<uint8_t> WriteSkinFile(const SkinFileImage& image);

}  // namespace skin
