#pragma once
// Reads a skin file's header, names, item records and bitmap table. Every
// count and size is checked against the bytes the file really holds before
// anything is allocated, so a short or lying file is refused, never trusted.
#include <cstdint>

#include "skin/byte_source.h"
#include "skin/skin_format.h"

namespace skin {

enum class SkinReadStatus {
  kOk,
  kShortHeader,     // fewer than 24 bytes
  kBadHeader,       // mark not 0x213, or no bitmaps, or no items
  kCountMismatch,   // item count differs from the window's capacity
  kShortBlocks,     // block 1 or block 2 runs past the end
  kBadNames,        // name block past the end or with fewer than N names
  kShortRecords,    // fewer than N records
  kShortSizes,      // fewer than M bitmap sizes
  kBitmapPastEnd,   // a bitmap's size reaches past the end of the file
};

// Reads the file for a window whose skin set holds `capacity` items. On
// kOk, `out` holds N names, N records and M bitmap extents.
SkinReadStatus ReadSkinFile(ByteSource& file, uint32_t capacity, SkinFileContents* out);

const char* SkinReadStatusName(SkinReadStatus status);

}  // namespace skin
