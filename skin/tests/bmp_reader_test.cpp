// The bitmap reader: colour-table sizes for every pixel format, the cap on
// pixel bytes, and each failure in the order the loader meets them.
#include "skin/bmp_reader.h"

#include <gtest/gtest.h>

#include "skin/tests/bmp_bytes.h"

namespace skin {
namespace {

using testing::BmpLayout;
using testing::MakeBmp;
using testing::SmallBmp;

BmpStatus Read(const std::vector<uint8_t>& bytes, DibImage* out = nullptr) {
  DibImage ignored;
  MemorySource source(bytes);
  return ReadBmp(source, out ? out : &ignored);
}

TEST(BmpReader, ColourTableEntriesFollowBitsCompressionAndColoursUsed) {
  struct Case {
    uint16_t bits;
    uint32_t compression;
    uint32_t colours_used;
    uint32_t entries;
  };
  const Case cases[] = {
      {1, kBiRgb, 0, 2},      {4, kBiRgb, 0, 16},       {8, kBiRgb, 0, 256},     {8, kBiRgb, 20, 20},
      {8, kBiRgb, 300, 256},  {4, kBiRgb, 1, 1},        {16, kBiRgb, 0, 0},      {16, kBiBitFields, 0, 3},
      {32, kBiRgb, 0, 0},     {32, kBiBitFields, 0, 3}, {32, kBiBitFields, 2, 2}, {24, kBiRgb, 0, 0},
      {24, kBiRgb, 16, 0},    {2, kBiRgb, 0, 0},
  };
  for (const Case& c : cases) {
    BmpInfoHeader info;
    info.bit_count = c.bits;
    info.compression = c.compression;
    info.colours_used = c.colours_used;
    EXPECT_EQ(ColourTableEntries(info), c.entries)
        << c.bits << " bits, compression " << c.compression << ", colours used " << c.colours_used;
  }
}

TEST(BmpReader, ReadsHeaderTableAndRows) {
  BmpLayout layout;
  layout.width = 3;
  layout.height = 2;
  layout.bit_count = 8;
  layout.colours_used = 2;
  layout.table = {0x00FF0000, 0x000000FF};
  layout.pixels = {0, 1, 0, 0, 1, 1, 0, 0};  // two rows of 3 pixels padded to 4
  DibImage image;
  ASSERT_EQ(Read(MakeBmp(layout), &image), BmpStatus::kOk);
  EXPECT_EQ(image.info.width, 3);
  EXPECT_EQ(image.info.height, 2);
  EXPECT_EQ(image.colour_table, layout.table);
  EXPECT_EQ(image.bits, layout.pixels);
  EXPECT_EQ(image.bits_offset, 54u + 8u);

  // Bit-field masks are read as the colour table.
  layout.width = 2;
  layout.height = 1;
  layout.bit_count = 16;
  layout.compression = kBiBitFields;
  layout.colours_used = 0;
  layout.table = {0xF800, 0x07E0, 0x001F};
  layout.pixels = {0x00, 0xF8, 0x1F, 0x00};
  ASSERT_EQ(Read(MakeBmp(layout), &image), BmpStatus::kOk);
  EXPECT_EQ(image.colour_table, layout.table);
}

TEST(BmpReader, PixelBytesStopAtStrideTimesHeightAndMayBeFewer) {
  BmpLayout layout;
  layout.width = 5;  // 15 bytes a row, stride 16
  layout.height = 2;
  layout.pixels.assign(40, 0xAB);  // 8 bytes more than the rows need
  DibImage image;
  ASSERT_EQ(Read(MakeBmp(layout), &image), BmpStatus::kOk);
  EXPECT_EQ(image.bits.size(), 32u);

  layout.pixels.assign(20, 0xCD);  // fewer than the rows need: what is there is taken
  ASSERT_EQ(Read(MakeBmp(layout), &image), BmpStatus::kOk);
  EXPECT_EQ(image.bits.size(), 20u);

  layout.height = -2;  // top-down rows count the same
  layout.pixels.assign(40, 0xEF);
  ASSERT_EQ(Read(MakeBmp(layout), &image), BmpStatus::kOk);
  EXPECT_EQ(image.bits.size(), 32u);
}

struct Failure {
  const char* what;
  BmpLayout layout;
  size_t cut_to;  // 0: whole file
  BmpStatus expected;
};

TEST(BmpReader, EachFailureIsFoundWhereTheLoaderMeetsIt) {
  const Failure cases[] = {
      {"13 bytes", SmallBmp([](auto&) {}), 13, BmpStatus::kFileHeaderShort},
      {"type not BM", SmallBmp([](auto& s) { s.type = 0x4D43; }), 0, BmpStatus::kNotBm},
      {"information header cut", SmallBmp([](auto&) {}), 53, BmpStatus::kInfoHeaderShort},
      {"OS/2 header size 12", SmallBmp([](auto& s) { s.header_size = 12; }), 0, BmpStatus::kNotDib},
      {"V5 header size 124", SmallBmp([](auto& s) { s.header_size = 124; }), 0, BmpStatus::kNotDib},
      {"palette cut short",
       SmallBmp([](auto& s) {
         s.bit_count = 8;
         s.table.assign(10, 0);
         s.pixels.clear();
       }),
       0, BmpStatus::kColourTableShort},
      {"masks missing",
       SmallBmp([](auto& s) {
         s.bit_count = 32;
         s.compression = kBiBitFields;
         s.pixels.clear();
       }),
       0, BmpStatus::kColourTableShort},
      {"pixel offset past the end", SmallBmp([](auto& s) { s.bits_offset = 5000; }), 0, BmpStatus::kBitsShort},
      {"2 bits per pixel", SmallBmp([](auto& s) { s.bit_count = 2; }), 0, BmpStatus::kCannotCreate},
      {"run-length compressed", SmallBmp([](auto& s) {
         s.bit_count = 8;
         s.compression = 1;
         s.table.assign(256, 0);
       }),
       0, BmpStatus::kCannotCreate},
      {"zero width", SmallBmp([](auto& s) { s.width = 0; }), 0, BmpStatus::kCannotCreate},
      {"negative width", SmallBmp([](auto& s) { s.width = -4; }), 0, BmpStatus::kCannotCreate},
      {"zero height", SmallBmp([](auto& s) { s.height = 0; }), 0, BmpStatus::kCannotCreate},
      {"a 2 GB picture claimed by a tiny file",
       SmallBmp([](auto& s) {
         s.width = 0x7FFFFFFF;
         s.height = 0x7FFFFFFF;
       }),
       0, BmpStatus::kCannotCreate},
      {"the most negative height", SmallBmp([](auto& s) { s.height = INT32_MIN; }), 0, BmpStatus::kCannotCreate},
  };
  for (const Failure& c : cases) {
    std::vector<uint8_t> bytes = MakeBmp(c.layout);
    if (c.cut_to) bytes.resize(c.cut_to);
    EXPECT_EQ(Read(bytes), c.expected) << c.what;
  }
}

TEST(BmpReader, AreaLimitIsStrideTimesRows) {
  BmpInfoHeader info;
  info.width = 2048;
  info.bit_count = 32;
  info.height = static_cast<int32_t>(kMaxDibBytes / (2048 * 4));
  EXPECT_TRUE(CanCreateDib(info));
  info.height += 1;
  EXPECT_FALSE(CanCreateDib(info));
  info.height = -info.height;
  EXPECT_FALSE(CanCreateDib(info));
}

}  // namespace
}  // namespace skin
