#include "skin/skin_file_reader.h"

#include "os/byte_order.h"

namespace skin {

namespace {

struct Header {
  uint32_t mark, bitmap_count, item_count, block1_size, name_block_size;
};

// N names from the name block, each up to its terminator. False when the
// block holds fewer than N terminated names.
bool SplitNames(const std::vector<uint8_t>& block, uint32_t count, std::vector<std::string>* names) {
  size_t at = 0;
  for (uint32_t i = 0; i < count; ++i) {
    size_t end = at;
    while (end < block.size() && block[end] != 0) ++end;
    if (end == block.size()) return false;
    names->emplace_back(reinterpret_cast<const char*>(block.data()) + at, end - at);
    at = end + 1;
  }
  return true;
}

ItemRecord ParseRecord(const uint8_t* p) {
  ItemRecord r;
  r.x = static_cast<int32_t>(os::GetLE32(p));
  r.y = static_cast<int32_t>(os::GetLE32(p + 4));
  r.width = static_cast<int32_t>(os::GetLE32(p + 8));
  r.height = static_cast<int32_t>(os::GetLE32(p + 12));
  for (int s = 0; s < kBitmapSlots; ++s) r.bitmaps[s] = static_cast<int32_t>(os::GetLE32(p + kRecordBitmapsAt + 4 * s));
  r.transparent = os::GetLE32(p + kRecordTransparentAt);
  return r;
}

}  // namespace

SkinReadStatus ReadSkinFile(ByteSource& file, uint32_t capacity, SkinFileContents* out) {
  *out = {};
  const uint64_t file_size = file.Size();
  uint8_t raw[kHeaderSize];
  if (!file.ReadExact(0, raw, sizeof raw)) return SkinReadStatus::kShortHeader;
  Header h{os::GetLE32(raw), os::GetLE32(raw + 4), os::GetLE32(raw + 8), os::GetLE32(raw + 16), os::GetLE32(raw + 20)};
  if (h.mark != kSkinMark || h.bitmap_count == 0 || h.item_count == 0) return SkinReadStatus::kBadHeader;
  if (h.item_count != capacity) return SkinReadStatus::kCountMismatch;

  // All positions in 64 bits: four 32-bit sizes cannot overflow them.
  uint64_t at = kHeaderSize + uint64_t{h.block1_size} + 4 * uint64_t{h.item_count};
  if (at > file_size) return SkinReadStatus::kShortBlocks;

  if (h.name_block_size > file_size - at) return SkinReadStatus::kBadNames;
  std::vector<uint8_t> name_block(h.name_block_size);
  if (!file.ReadExact(at, name_block.data(), name_block.size())) return SkinReadStatus::kBadNames;
  if (!SplitNames(name_block, h.item_count, &out->names)) return SkinReadStatus::kBadNames;
  at += h.name_block_size;

  const uint64_t records_size = kRecordSize * uint64_t{h.item_count};
  if (records_size > file_size - at) return SkinReadStatus::kShortRecords;
  std::vector<uint8_t> records(static_cast<size_t>(records_size));
  if (!file.ReadExact(at, records.data(), records.size())) return SkinReadStatus::kShortRecords;
  for (uint32_t i = 0; i < h.item_count; ++i) out->records.push_back(ParseRecord(records.data() + kRecordSize * i));
  at += records_size;

  const uint64_t sizes_size = 4 * uint64_t{h.bitmap_count};
  if (sizes_size > file_size - at) return SkinReadStatus::kShortSizes;
  std::vector<uint8_t> sizes(static_cast<size_t>(sizes_size));
  if (!file.ReadExact(at, sizes.data(), sizes.size())) return SkinReadStatus::kShortSizes;
  at += sizes_size;

  for (uint32_t i = 0; i < h.bitmap_count; ++i) {
    uint32_t size = os::GetLE32(sizes.data() + 4 * i);
    if (size > file_size - at) return SkinReadStatus::kBitmapPastEnd;
    out->bitmaps.push_back({at, size});
    at += size;
  }
  return SkinReadStatus::kOk;
}

const char* SkinReadStatusName(SkinReadStatus status) {
  switch (status) {
    case SkinReadStatus::kOk: return "ok";
    case SkinReadStatus::kShortHeader: return "short header";
    case SkinReadStatus::kBadHeader: return "bad header";
    case SkinReadStatus::kCountMismatch: return "item count differs from the window's";
    case SkinReadStatus::kShortBlocks: return "skipped blocks past the end";
    case SkinReadStatus::kBadNames: return "bad name block";
    case SkinReadStatus::kShortRecords: return "short item records";
    case SkinReadStatus::kShortSizes: return "short bitmap size table";
    case SkinReadStatus::kBitmapPastEnd: return "bitmap past the end";
  }
  return "?";
}

}  // namespace skin
