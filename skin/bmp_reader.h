#pragma once
// Reads one Windows bitmap file (14-byte file header, 40-byte information
// header, colour table, pixel rows) for the skin engine. The Win32 side turns
// the result into a DIB section; everything that trusts a number from the
// file is here, portable and fuzzed.
#include <cstdint>
#include <vector>

#include "skin/byte_source.h"

namespace skin {

inline constexpr uint16_t kBmpType = 19778;  // "BM" read as a little-endian number
inline constexpr size_t kBmpFileHeaderSize = 14;
inline constexpr size_t kBmpInfoHeaderSize = 40;
inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiBitFields = 3;
// Largest pixel area a skin bitmap may have (bytes of its rows), far above
// any window; larger headers are refused as a DIB section that cannot be made.
inline constexpr uint64_t kMaxDibBytes = 64ull << 20;

struct BmpInfoHeader {
  uint32_t header_size = 0;
  int32_t width = 0;
  int32_t height = 0;  // negative: rows stored top-down
  uint16_t planes = 0;
  uint16_t bit_count = 0;
  uint32_t compression = 0;
  uint32_t image_size = 0;
  int32_t x_pels_per_meter = 0;
  int32_t y_pels_per_meter = 0;
  uint32_t colours_used = 0;
  uint32_t colours_important = 0;
};

struct DibImage {
  uint32_t bits_offset = 0;  // pixel-data offset from the file header
  BmpInfoHeader info;
  std::vector<uint32_t> colour_table;  // as stored: 0x00RRGGBB per entry
  std::vector<uint8_t> bits;           // the pixel bytes the file holds, at most stride x height
};

// In the order the loader meets them; each has its own message.
enum class BmpStatus {
  kOk,
  kFileHeaderShort,
  kNotBm,
  kInfoHeaderShort,
  kNotDib,
  kColourTableShort,
  kOutOfMemory,
  kBitsShort,
  kCannotCreate,  // no DIB section can be made from this header
};

// Colour-table entries: 2, 16, 256 for 1, 4, 8 bits per pixel; 3 masks for
// 16 or 32 bits with bit fields; none otherwise. A smaller non-zero count of
// colours used lowers it.
uint32_t ColourTableEntries(const BmpInfoHeader& info);
// Bytes of one pixel row, padded to 4 bytes.
uint64_t RowStride(const BmpInfoHeader& info);
// Bytes of all rows: stride x |height|.
uint64_t PixelAreaBytes(const BmpInfoHeader& info);
// Whether a DIB section can be made: 1, 4, 8, 24 bits uncompressed, 16 or
// 32 bits uncompressed or with bit fields, a positive width, a non-zero
// height and rows within kMaxDibBytes.
bool CanCreateDib(const BmpInfoHeader& info);

// Reads the bitmap that `bitmap` holds from its first byte (the skin file's
// window onto one bitmap: nothing past its size is read).
BmpStatus ReadBmp(ByteSource& bitmap, DibImage* out);

}  // namespace skin
