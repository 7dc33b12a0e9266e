#include "skin/bmp_reader.h"

#include <algorithm>
#include <new>

#include "os/byte_order.h"
#include "skin/skin_format.h"

namespace skin {
namespace {

uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

BmpInfoHeader ParseInfoHeader(const uint8_t* p) {
  BmpInfoHeader h;
  h.header_size = os::GetLE32(p);
  h.width = static_cast<int32_t>(os::GetLE32(p + 4));
  h.height = static_cast<int32_t>(os::GetLE32(p + 8));
  h.planes = GetU16(p + 12);
  h.bit_count = GetU16(p + 14);
  h.compression = os::GetLE32(p + 16);
  h.image_size = os::GetLE32(p + 20);
  h.x_pels_per_meter = static_cast<int32_t>(os::GetLE32(p + 24));
  h.y_pels_per_meter = static_cast<int32_t>(os::GetLE32(p + 28));
  h.colours_used = os::GetLE32(p + 32);
  h.colours_important = os::GetLE32(p + 36);
  return h;
}

uint64_t RowCount(const BmpInfoHeader& info) {
  int64_t h = info.height;
  return static_cast<uint64_t>(h < 0 ? -h : h);
}

}  // namespace

uint32_t ColourTableEntries(const BmpInfoHeader& info) {
  uint32_t entries = 0;
  switch (info.bit_count) {
    case 1: entries = 2; break;
    case 4: entries = 16; break;
    case 8: entries = 256; break;
    case 16:
    case 32: entries = info.compression == kBiBitFields ? 3 : 0; break;
    default: entries = 0; break;
  }
  if (info.colours_used != 0 && info.colours_used < entries) entries = info.colours_used;
  return entries;
}

uint64_t RowStride(const BmpInfoHeader& info) {
  // A negative width makes no row at all; the header is refused later.
  uint64_t width = info.width > 0 ? static_cast<uint64_t>(info.width) : 0;
  return (width * info.bit_count + 31) / 32 * 4;
}

uint64_t PixelAreaBytes(const BmpInfoHeader& info) { return RowStride(info) * RowCount(info); }

bool CanCreateDib(const BmpInfoHeader& info) {
  if (info.width <= 0 || info.height == 0) return false;
  switch (info.bit_count) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (info.compression != kBiRgb) return false;
      break;
    case 16:
    case 32:
      if (info.compression != kBiRgb && info.compression != kBiBitFields) return false;
      break;
    default:
      return false;
  }
  return PixelAreaBytes(info) <= kMaxDibBytes;
}

BmpStatus ReadBmp(ByteSource& bitmap, DibImage* out) {
  *out = {};
  uint8_t file_header[kBmpFileHeaderSize];
  if (!bitmap.ReadExact(0, file_header, sizeof file_header)) return BmpStatus::kFileHeaderShort;
  if (GetU16(file_header) != kBmpType) return BmpStatus::kNotBm;
  out->bits_offset = os::GetLE32(file_header + 10);

  uint8_t info_header[kBmpInfoHeaderSize];
  if (!bitmap.ReadExact(kBmpFileHeaderSize, info_header, sizeof info_header)) return BmpStatus::kInfoHeaderShort;
  out->info = ParseInfoHeader(info_header);
  if (out->info.header_size != kBmpInfoHeaderSize) return BmpStatus::kNotDib;

  // At most 256 entries, so this read is small whatever the header says.
  uint32_t entries = ColourTableEntries(out->info);
  uint8_t table[256 * 4];
  if (!bitmap.ReadExact(kBmpFileHeaderSize + kBmpInfoHeaderSize, table, 4 * size_t{entries}))
    return BmpStatus::kColourTableShort;
  for (uint32_t i = 0; i < entries; ++i) out->colour_table.push_back(os::GetLE32(table + 4 * i));

  // The pixel bytes the bitmap holds past its data offset, but never more
  // than its rows need; an offset past the bitmap's end leaves nothing to read.
  if (out->bits_offset > bitmap.Size()) return BmpStatus::kBitsShort;
  uint64_t count = std::min<uint64_t>(bitmap.Size() - out->bits_offset, PixelAreaBytes(out->info));
  try {
    out->bits.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return BmpStatus::kOutOfMemory;
  }
  if (!bitmap.ReadExact(out->bits_offset, out->bits.data(), out->bits.size())) return BmpStatus::kBitsShort;
  if (!CanCreateDib(out->info)) return BmpStatus::kCannotCreate;
  return BmpStatus::kOk;
}

}  // namespace skin
