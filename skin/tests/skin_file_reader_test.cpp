// The skin file reader: a well-formed file read back field by field, and
// every way a short, truncated or lying file is refused before anything it
// claims is trusted.
#include "skin/skin_file_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "skin/tests/bmp_bytes.h"

namespace skin {
namespace {

using testing::Item;
using testing::MakeSkin;
using testing::SolidBmp;

const std::vector<ItemRecord> kRecords = {Item(0, 0, 100, 50, {0}, 0xFF00FF),
                                          Item(10, -20, 30, 40, {1, -1, 0, -1, 1}, kNoRegion),
                                          Item(5, 6, 7, 8, {}, 0x123456)};

// A file of three items and two bitmaps; header fields at known offsets.
std::vector<uint8_t> ThreeItemSkin() {
  return MakeSkin(kRecords, {SolidBmp(4, 2, 0x112233), SolidBmp(3, 3, 0x445566)}, {"[Form]", "BUTTON_A", "TREE"});
}

void SetU32(std::vector<uint8_t>& file, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

SkinReadStatus Read(const std::vector<uint8_t>& bytes, uint32_t capacity, SkinFileContents* out = nullptr) {
  SkinFileContents ignored;
  MemorySource source(bytes);
  return ReadSkinFile(source, capacity, out ? out : &ignored);
}

TEST(SkinFileReader, ReadsNamesRecordsAndComputesBitmapOffsets) {
  std::vector<uint8_t> file = ThreeItemSkin();
  SkinFileContents got;
  ASSERT_EQ(Read(file, 3, &got), SkinReadStatus::kOk);
  EXPECT_EQ(got.names, (std::vector<std::string>{"[Form]", "BUTTON_A", "TREE"}));
  ASSERT_EQ(got.records.size(), 3u);
  // Every field of every record (they hold 32-bit fields only, no padding).
  EXPECT_EQ(0, std::memcmp(got.records.data(), kRecords.data(), sizeof(ItemRecord) * 3));

  // Bitmap 0 starts at 24 + A + 4N + S + 60N + 4M; bitmap 1 right after it.
  const uint32_t name_block = sizeof("[Form]") + sizeof("BUTTON_A") + sizeof("TREE");
  const uint64_t first = 24 + 0 + 4 * 3 + name_block + 60 * 3 + 4 * 2;
  const size_t size0 = SolidBmp(4, 2, 0).size(), size1 = SolidBmp(3, 3, 0).size();
  ASSERT_EQ(got.bitmaps.size(), 2u);
  EXPECT_EQ(got.bitmaps[0].offset, first);
  EXPECT_EQ(got.bitmaps[0].size, size0);
  EXPECT_EQ(got.bitmaps[1].offset, first + size0);
  EXPECT_EQ(got.bitmaps[1].size, size1);
  EXPECT_EQ(file[first], 'B');
  EXPECT_EQ(file[first + size0], 'B');
  EXPECT_EQ(first + size0 + size1, file.size());
}

TEST(SkinFileReader, SkipsBlockOneByItsStatedSize) {
  std::vector<uint8_t> file = ThreeItemSkin();
  // Insert 10 bytes of block 1 and say so in the header.
  file.insert(file.begin() + 24, 10, 0xEE);
  SetU32(file, 16, 10);
  SkinFileContents got;
  ASSERT_EQ(Read(file, 3, &got), SkinReadStatus::kOk);
  EXPECT_EQ(got.names[1], "BUTTON_A");
  EXPECT_EQ(got.records[1].x, 10);
  EXPECT_EQ(file[static_cast<size_t>(got.bitmaps[0].offset)], 'B');
}

// Each case breaks one thing in an otherwise good file.
struct Damage {
  const char* what;
  std::function<void(std::vector<uint8_t>&)> apply;
  uint32_t capacity;
  SkinReadStatus expected;
};

TEST(SkinFileReader, RefusesShortTruncatedAndLyingFiles) {
  const size_t names_at = 24 + 12;
  const size_t name_block = sizeof("[Form]") + sizeof("BUTTON_A") + sizeof("TREE");
  const size_t records_at = names_at + name_block;
  const size_t sizes_at = records_at + 180;
  const Damage cases[] = {
      {"empty file", [](auto& f) { f.clear(); }, 3, SkinReadStatus::kShortHeader},
      {"23-byte header", [](auto& f) { f.resize(23); }, 3, SkinReadStatus::kShortHeader},
      {"wrong mark", [](auto& f) { SetU32(f, 0, 0x214); }, 3, SkinReadStatus::kBadHeader},
      {"no bitmaps", [](auto& f) { SetU32(f, 4, 0); }, 3, SkinReadStatus::kBadHeader},
      {"no items", [](auto& f) { SetU32(f, 8, 0); }, 0, SkinReadStatus::kBadHeader},
      {"fewer items than the window", [](auto&) {}, 4, SkinReadStatus::kCountMismatch},
      {"more items than the window", [](auto&) {}, 2, SkinReadStatus::kCountMismatch},
      {"block 1 past the end", [](auto& f) { SetU32(f, 16, 0xFFFFFFF0); }, 3, SkinReadStatus::kShortBlocks},
      {"name block past the end", [](auto& f) { SetU32(f, 20, 0x7FFFFFFF); }, 3, SkinReadStatus::kBadNames},
      {"name block without terminators",
       [&](auto& f) {
         for (size_t i = names_at; i < names_at + name_block; ++i)
           if (f[i] == 0) f[i] = 'x';
       },
       3, SkinReadStatus::kBadNames},
      {"two names for three items", [&](auto& f) { f[records_at - 1] = 'x'; }, 3, SkinReadStatus::kBadNames},
      {"records cut short", [&](auto& f) { f.resize(records_at + 179); }, 3, SkinReadStatus::kShortRecords},
      {"size table cut short", [&](auto& f) { f.resize(sizes_at + 7); }, 3, SkinReadStatus::kShortSizes},
      {"a billion bitmaps", [](auto& f) { SetU32(f, 4, 0x40000000); }, 3, SkinReadStatus::kShortSizes},
      {"last bitmap truncated", [](auto& f) { f.pop_back(); }, 3, SkinReadStatus::kBitmapPastEnd},
      {"bitmap size past the end", [&](auto& f) { SetU32(f, sizes_at, 0x7FFFFFFF); }, 3,
       SkinReadStatus::kBitmapPastEnd},
      {"sizes whose sum wraps 32 bits",
       [&](auto& f) {
         SetU32(f, sizes_at, 0xFFFFFFF0);
         SetU32(f, sizes_at + 4, 0x20);
       },
       3, SkinReadStatus::kBitmapPastEnd},
  };
  for (const Damage& c : cases) {
    std::vector<uint8_t> file = ThreeItemSkin();
    c.apply(file);
    EXPECT_EQ(Read(file, c.capacity), c.expected)
        << c.what << ": got " << SkinReadStatusName(Read(file, c.capacity)) << ", want "
        << SkinReadStatusName(c.expected);
  }
}

TEST(SkinFileReader, EveryPrefixOfAGoodFileIsRefused) {
  std::vector<uint8_t> file = ThreeItemSkin();
  for (size_t n = 0; n < file.size(); ++n) {
    std::vector<uint8_t> prefix(file.begin(), file.begin() + static_cast<ptrdiff_t>(n));
    EXPECT_NE(Read(prefix, 3), SkinReadStatus::kOk) << n << " bytes";
  }
}

}  // namespace
}  // namespace skin
