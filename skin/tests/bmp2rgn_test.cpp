// CBmp2Rgn under Wine: every LoadBmp message, the pixel formats and their
// colour tables as the DIB section shows them, and regions cut from
// drawn pictures (also past one batch of 2000 rectangles).
#include "skin/win32/bmp2rgn.h"

#include <gtest/gtest.h>

#include "os/win32/handles.h"
#include "skin/tests/bmp_bytes.h"
#include "skin/tests/win32_support.h"

namespace skin {
namespace {

using testing::BmpLayout;
using testing::MakeBmp;
using testing::SmallBmp;
using testing::PictureBmp;
using testing::RecordingMessages;

// Bitmaps back to back in memory, with their extents, as a skin file holds them.
struct BitmapFile {
  explicit BitmapFile(const std::vector<std::vector<uint8_t>>& bitmaps) {
    std::vector<uint8_t> bytes;
    for (const auto& b : bitmaps) {
      extents.push_back({bytes.size(), static_cast<uint32_t>(b.size())});
      bytes.insert(bytes.end(), b.begin(), b.end());
    }
    source = std::make_unique<MemorySource>(bytes);
  }
  std::unique_ptr<MemorySource> source;
  std::vector<BitmapExtent> extents;
};

// The loaded bitmap's pixels as 0x00RRGGBB, top row first.
std::vector<uint32_t> Pixels(const CBmp2Rgn& bmp) {
  std::vector<uint32_t> pixels(static_cast<size_t>(bmp.width() * bmp.height()));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), bmp.width(), -bmp.height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  win32::WindowDc screen(nullptr);
  GetDIBits(screen.get(), bmp.bitmap(), 0, static_cast<UINT>(bmp.height()), pixels.data(), &info, DIB_RGB_COLORS);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

struct LoadFailure {
  const char* what;
  std::vector<uint8_t> bitmap;
  int index;
  std::string message;
};

TEST(CBmp2Rgn, EveryLoadFailureShowsItsMessage) {
  std::vector<uint8_t> good = MakeBmp(SmallBmp([](auto&) {}));
  std::vector<uint8_t> header_only(good.begin(), good.begin() + 10);
  std::vector<uint8_t> info_cut(good.begin(), good.begin() + 40);
  const LoadFailure cases[] = {
      {"index below 0", good, -1, "CBmp2Rgn::LoadBmp : Invalid BitmapID !! , ID = -1 "},
      {"index equal to the count", good, 2, "CBmp2Rgn::LoadBmp : Invalid BitmapID !! , ID = 2 "},
      {"file header cut", header_only, 1, "CBmp2Rgn::LoadBmp : BITMAPFILEHEADER Read Error!! , ID = 1 "},
      {"not BM", MakeBmp(SmallBmp([](auto& s) { s.type = 0x5050; })), 1,
       "CBmp2Rgn::LoadBmp : BITMAPFILEHEADER is not BM !! , ID = 1 "},
      {"information header cut", info_cut, 1, "Failed to read BITMAPINFOHEADER"},
      {"not a Windows DIB", MakeBmp(SmallBmp([](auto& s) { s.header_size = 108; })), 1, " File is not a Windows DIB"},
      {"colour table cut", MakeBmp(SmallBmp([](auto& s) {
         s.bit_count = 4;
         s.table.assign(3, 0);
         s.pixels.clear();
       })),
       1, "Failed to read color table"},
      {"pixel data offset past the end", MakeBmp(SmallBmp([](auto& s) { s.bits_offset = 4096; })), 1,
       "Failed to read bits"},
      {"a format no DIB section takes", MakeBmp(SmallBmp([](auto& s) { s.bit_count = 7; })), 1,
       "CreateDIBSection failed"},
  };
  for (const LoadFailure& c : cases) {
    BitmapFile file({good, c.bitmap});
    RecordingMessages messages;
    CBmp2Rgn bmp(messages);
    bmp.SetSource(file.source.get(), file.extents);
    EXPECT_FALSE(bmp.LoadBmp(c.index)) << c.what;
    EXPECT_FALSE(bmp.loaded()) << c.what;
    EXPECT_EQ(messages.shown, std::vector<std::string>{c.message}) << c.what;
  }
}

TEST(CBmp2Rgn, WithoutASourceNothingIsRead) {
  RecordingMessages messages;
  CBmp2Rgn bmp(messages);
  EXPECT_FALSE(bmp.LoadBmp(0));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"CBmp2Rgn::LoadBmp : m_pFile = NULL !! , ID = 0 "});
}

struct Format {
  const char* what;
  BmpLayout layout;
  std::vector<uint32_t> expected;  // 0x00RRGGBB, top row first
  uint32_t significant = 0xFFFFFF;  // bits a 16-bit format defines (widening is the system's choice)
};

TEST(CBmp2Rgn, PixelFormatsAndColourTablesLoadAsDrawn) {
  const uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
  auto layout = [](uint16_t bits, int w, int h, std::vector<uint32_t> table, std::vector<uint8_t> pixels,
                 uint32_t compression = 0, uint32_t used = 0) {
    BmpLayout s;
    s.bit_count = bits;
    s.width = w;
    s.height = h;
    s.table = std::move(table);
    s.pixels = std::move(pixels);
    s.compression = compression;
    s.colours_used = used;
    return s;
  };
  // One of each way the header and table reach the DIB section: a short
  // palette, bit-field masks, no table, rows top-down. Rows are bottom-up
  // unless said, each padded to 4 bytes.
  const Format cases[] = {
      {"8 bits, two colours used", layout(8, 3, 1, {red, green}, {1, 0, 1, 0}, 0, 2), {green, red, green}},
      {"16 bits 5-6-5 bit fields", layout(16, 2, 1, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0x1F, 0x00}, 3),
       {0x00FC00, 0x0000F8}, 0xF8FCF8},
      {"32 bits", layout(32, 1, 2, {}, {0x00, 0xFF, 0x00, 0, 0x10, 0x20, 0x30, 0}), {0x302010, green}},
      {"24 bits top-down", layout(24, 1, -2, {}, {0xFF, 0, 0, 0, 0, 0, 0xFF, 0}), {blue, red}},
  };
  for (const Format& c : cases) {
    BitmapFile file({MakeBmp(c.layout)});
    RecordingMessages messages;
    CBmp2Rgn bmp(messages);
    bmp.SetSource(file.source.get(), file.extents);
    ASSERT_TRUE(bmp.LoadBmp(0)) << c.what << ": " << (messages.shown.empty() ? "" : messages.shown[0]);
    EXPECT_EQ(bmp.width(), c.layout.width) << c.what;
    EXPECT_EQ(bmp.height(), std::abs(c.layout.height)) << c.what;
    std::vector<uint32_t> pixels = Pixels(bmp);
    for (uint32_t& p : pixels) p &= c.significant;
    EXPECT_EQ(pixels, c.expected) << c.what;
  }
}

// Loads a picture drawn with '#' (opaque grey) and '.' (magenta).
std::unique_ptr<CBmp2Rgn> LoadPicture(const std::vector<std::string>& rows, RecordingMessages& messages,
                                      std::unique_ptr<BitmapFile>& file) {
  file = std::make_unique<BitmapFile>(
      std::vector<std::vector<uint8_t>>{PictureBmp(rows, {{'#', 0x404040}, {'.', 0xFF00FF}})});
  auto bmp = std::make_unique<CBmp2Rgn>(messages);
  bmp->SetSource(file->source.get(), file->extents);
  EXPECT_TRUE(bmp->LoadBmp(0));
  bmp->SetTransparentColour(0xFF00FF);
  return bmp;
}

// Every pixel of the picture is in the region exactly when it is opaque.
void ExpectRegionMatches(HRGN region, const std::vector<std::string>& rows) {
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      EXPECT_EQ(PtInRegion(region, static_cast<int>(x), static_cast<int>(y)) != 0, rows[y][x] == '#')
          << "pixel " << x << "," << y;
}

TEST(CBmp2Rgn, AnAllTransparentBitmapGivesAnEmptyRegion) {
  RecordingMessages messages;
  std::unique_ptr<BitmapFile> file;
  auto bmp = LoadPicture({"....", "...."}, messages, file);
  win32::GdiObject<HRGN> region(bmp->MakeRegion());
  ASSERT_NE(region.get(), nullptr);
  RECT box;
  EXPECT_EQ(GetRgnBox(region.get(), &box), NULLREGION);
}

TEST(CBmp2Rgn, ManyBatchesJoinToTheSameRegionAsOneUnion) {
  // Runs two pixels wide, 40 a row over 60 rows: 2400 runs, two batches.
  std::vector<std::string> rows;
  for (int y = 0; y < 60; ++y) {
    std::string row;
    for (int x = 0; x < 120; ++x) row += (x + y) % 3 ? '#' : '.';
    rows.push_back(row);
  }
  RecordingMessages messages;
  std::unique_ptr<BitmapFile> file;
  auto bmp = LoadPicture(rows, messages, file);
  win32::GdiObject<HRGN> region(bmp->MakeRegion());
  ASSERT_NE(region.get(), nullptr);

  win32::GdiObject<HRGN> expected(CreateRectRgn(0, 0, 0, 0));
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 120; ++x) {
      if ((x + y) % 3 == 0) continue;
      win32::GdiObject<HRGN> pixel(CreateRectRgn(x, y, x + 1, y + 1));
      CombineRgn(expected.get(), expected.get(), pixel.get(), RGN_OR);
    }
  }
  EXPECT_TRUE(EqualRgn(region.get(), expected.get()));
  ExpectRegionMatches(region.get(), rows);
}

TEST(CBmp2Rgn, DrawCopiesTheBitmapAtItsFullSize) {
  RecordingMessages messages;
  std::unique_ptr<BitmapFile> file;
  auto bmp = LoadPicture({"#.", ".#"}, messages, file);
  win32::WindowDc screen(nullptr);
  win32::MemoryDc memory(screen.get());
  win32::GdiObject<HBITMAP> target(CreateCompatibleBitmap(screen.get(), 4, 4));
  win32::SelectedObject selected(memory.get(), target.get());
  RECT all{0, 0, 4, 4};
  FillRect(memory.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  bmp->Draw(memory.get(), 1, 1);
  EXPECT_EQ(GetPixel(memory.get(), 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(memory.get(), 1, 1), RGB(0x40, 0x40, 0x40));
  EXPECT_EQ(GetPixel(memory.get(), 2, 1), RGB(255, 0, 255));
  EXPECT_EQ(GetPixel(memory.get(), 3, 3), RGB(255, 255, 255));
}

}  // namespace
}  // namespace skin
