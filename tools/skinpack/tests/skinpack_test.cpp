// skinpack: layouts parsed and checked against the windows' item tables,
// packing refused wherever the viewer would refuse the result, and packed
// files read back by the viewer's own reader. Then the four skin files the
// build made: every bitmap loads, faces fit their controls, outlines are cut.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "layout.h"
#include "pack.h"
#include "skin/bmp_reader.h"
#include "skin/region_runs.h"
#include "skin/skin_file_reader.h"
#include "skin/tests/bmp_bytes.h"

namespace skinpack {
namespace {

using skin::ItemKind;

const char kSeekLayout[] =
    "# the seek window\n"
    "window SeekSlider.skn\n"
    "form   [Form]        0  0 300 40  background=form.bmp transparent=0xFF00FF\n"
    "button BUTTON_CLOSE 266  8  24 24  normal=close.bmp over=close.bmp pressed=down.bmp mask=mask.bmp"
    " transparent=0xFF00FF\r\n"
    "slider SLIDER_SEEK   12 10 244 20  thumb=thumb.bmp channel=channel.bmp transparent=none\n";

std::map<std::string, std::vector<uint8_t>> SeekBitmaps() {
  return {{"form.bmp", skin::testing::SolidBmp(300, 40, 0x202020)},
          {"close.bmp", skin::testing::SolidBmp(24, 24, 0x404040)},
          {"down.bmp", skin::testing::SolidBmp(24, 24, 0x606060)},
          {"mask.bmp", skin::testing::SolidBmp(24, 24, 0)},
          {"thumb.bmp", skin::testing::SolidBmp(12, 20, 0xE0E0E0)},
          {"channel.bmp", skin::testing::SolidBmp(244, 20, 0x101010)}};
}

FileReader ReaderOf(const std::map<std::string, std::vector<uint8_t>>& files) {
  return [files](const std::string& name, std::vector<uint8_t>* bytes) {
    auto found = files.find(name);
    if (found == files.end()) return false;
    *bytes = found->second;
    return true;
  };
}

TEST(SkinpackLayout, RefusesMalformedLines) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"form [Form] 0 0 10 10\n", "no \"window\" line"},
      {"window a.skn b\n", "line 1: expected: window NAME.skn"},
      {"window a.skn\nknob X 0 0 1 1\n", "line 2: unknown kind \"knob\""},
      {"window a.skn\nbutton X 0 0 1\n", "line 2: expected name x y width height"},
      {"window a.skn\nbutton X 0 0 1 1x\n", "line 2: x, y, width and height must be whole numbers"},
      {"window a.skn\nbutton X 0 0 0 10\n", "line 2: width and height must be positive"},
      {"window a.skn\nbutton X 0 0 5 5 normal\n", "line 2: expected key=value, got \"normal\""},
      {"window a.skn\ncheck X 0 0 5 5 pressed=a.bmp\n", "line 2: a check has no slot \"pressed\""},
      {"window a.skn\nplain X 0 0 5 5 normal=a.bmp\n", "line 2: a plain has no slot \"normal\""},
      {"window a.skn\nbutton X 0 0 5 5 normal=a.bmp normal=b.bmp\n", "line 2: slot normal given twice"},
      {"window a.skn\nform X 0 0 5 5 transparent=magenta\n",
       "line 2: transparent colour must be 0xBBGGRR or none, got \"magenta\""},
      {"window a.skn\nform X 0 0 5 5 transparent=0x1000000\n",
       "line 2: transparent colour must be 0xBBGGRR or none, got \"0x1000000\""},
  };
  for (const Case& c : cases) {
    Layout layout;
    std::string error;
    EXPECT_FALSE(ParseLayout(c.text, &layout, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(SkinpackLayout, ItemsMustBeTheWindowsOwnInOrder) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string head = "window SeekSlider.skn\nform [Form] 0 0 9 9\n";
  const Case cases[] = {
      {"window Other.skn\n", "unknown window \"Other.skn\""},
      {head + "button BUTTON_CLOSE 0 0 9 9\n", "SeekSlider.skn needs 3 items, the layout has 2"},
      {head + "slider SLIDER_SEEK 0 0 9 9\nbutton BUTTON_CLOSE 0 0 9 9\n",
       "line 3: item 1 of SeekSlider.skn is the button BUTTON_CLOSE"},
      {head + "check BUTTON_CLOSE 0 0 9 9\nslider SLIDER_SEEK 0 0 9 9\n",
       "line 3: item 1 of SeekSlider.skn is the button BUTTON_CLOSE"},
  };
  for (const Case& c : cases) {
    Layout layout;
    std::string error;
    ASSERT_TRUE(ParseLayout(c.text, &layout, &error)) << error;
    EXPECT_FALSE(CheckItems(layout, &error));
    EXPECT_EQ(error, c.error);
  }
}

// The layout's items, slots and colours (comments, CR LF, "none") as the
// viewer's own reader finds them in the packed file.
TEST(SkinpackPack, PackedFileReadsBackThroughTheViewersReader) {
  Layout layout;
  std::string error;
  ASSERT_TRUE(ParseLayout(kSeekLayout, &layout, &error)) << error;
  EXPECT_EQ(layout.window, "SeekSlider.skn");
  EXPECT_TRUE(CheckItems(layout, &error)) << error;
  std::vector<uint8_t> file;
  ASSERT_TRUE(PackSkin(layout, ReaderOf(SeekBitmaps()), &file, &error)) << error;

  skin::MemorySource source(file);
  skin::SkinFileContents contents;
  ASSERT_EQ(skin::ReadSkinFile(source, 3, &contents), skin::SkinReadStatus::kOk);
  EXPECT_EQ(contents.names, (std::vector<std::string>{"[Form]", "BUTTON_CLOSE", "SLIDER_SEEK"}));
  const skin::ItemRecord& button = contents.records[1];
  EXPECT_EQ(button.x, 266);
  EXPECT_EQ(button.y, 8);
  EXPECT_EQ(button.width, 24);
  EXPECT_EQ(button.height, 24);
  // One bitmap per distinct file, numbered in order of first use.
  EXPECT_EQ(std::vector<int32_t>(button.bitmaps, button.bitmaps + 5), (std::vector<int32_t>{1, 1, 2, -1, 3}));
  EXPECT_EQ(std::vector<int32_t>(contents.records[2].bitmaps, contents.records[2].bitmaps + 5),
            (std::vector<int32_t>{4, -1, -1, 5, -1}));
  EXPECT_EQ(contents.records[0].transparent, 0xFF00FFu);
  EXPECT_EQ(contents.records[1].transparent, 0xFF00FFu) << "read from a line ending in CR LF";
  EXPECT_EQ(contents.records[2].transparent, skin::kNoRegion);
  ASSERT_EQ(contents.bitmaps.size(), 6u);
  const std::vector<uint8_t> channel = SeekBitmaps()["channel.bmp"];
  EXPECT_TRUE(std::equal(channel.begin(), channel.end(), file.begin() + static_cast<ptrdiff_t>(contents.bitmaps[5].offset)));
  EXPECT_EQ(contents.bitmaps[5].offset + contents.bitmaps[5].size, file.size());
}

TEST(SkinpackPack, RefusesWhatTheViewerWouldRefuse) {
  struct Case {
    const char* what;
    std::function<void(std::map<std::string, std::vector<uint8_t>>&)> change;
    std::string layout_tail;
    std::string error;
  };
  const Case cases[] = {
      {"missing bitmap", [](auto& f) { f.erase("thumb.bmp"); }, "", "line 5: missing bitmap thumb.bmp"},
      {"not a bitmap", [](auto& f) { f["down.bmp"] = {'G', 'I', 'F', '8', '9', 'a'}; }, "",
       "line 4: down.bmp: too short for a bitmap file header"},
      {"a PNG", [](auto& f) { f["down.bmp"].assign(64, 0); f["down.bmp"][0] = 0x89; }, "",
       "line 4: down.bmp: not a Windows bitmap (no \"BM\")"},
      {"a format the viewer cannot show",
       [](auto& f) {
         skin::testing::BmpLayout layout;
         layout.bit_count = 2;
         layout.pixels.assign(4, 0);
         f["mask.bmp"] = skin::testing::MakeBmp(layout);
       },
       "", "line 4: mask.bmp: a pixel format or size the viewer cannot show"},
  };
  for (const Case& c : cases) {
    auto files = SeekBitmaps();
    c.change(files);
    Layout layout;
    std::string error;
    ASSERT_TRUE(ParseLayout(kSeekLayout, &layout, &error));
    std::vector<uint8_t> out;
    EXPECT_FALSE(PackSkin(layout, ReaderOf(files), &out, &error)) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
  }

  Layout bare;
  std::string error;
  ASSERT_TRUE(ParseLayout("window SeekSlider.skn\nform [Form] 0 0 9 9\nbutton BUTTON_CLOSE 0 0 9 9\n"
                          "slider SLIDER_SEEK 0 0 9 9\n",
                          &bare, &error));
  std::vector<uint8_t> out;
  EXPECT_FALSE(PackSkin(bare, ReaderOf({}), &out, &error));
  EXPECT_EQ(error, "SeekSlider.skn: a skin needs at least one bitmap");
}

// The skin files the build put beside the program.
class BuiltSkinTest : public ::testing::TestWithParam<skin::SkinnedWindow> {
 protected:
  void SetUp() override {
    std::string path = std::string(HALYARD_DIST_DIR) + GetParam().skin_file;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::ifstream in(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    skin::MemorySource source(bytes_);
    ASSERT_EQ(skin::ReadSkinFile(source, static_cast<uint32_t>(GetParam().items.size()), &contents_),
              skin::SkinReadStatus::kOk)
        << path;
  }
  skin::DibImage Bitmap(int index) {
    skin::MemorySource whole(bytes_);
    const skin::BitmapExtent& e = contents_.bitmaps.at(static_cast<size_t>(index));
    skin::SubSource source(whole, e.offset, e.size);
    skin::DibImage image;
    EXPECT_EQ(skin::ReadBmp(source, &image), skin::BmpStatus::kOk) << "bitmap " << index;
    return image;
  }
  std::vector<uint8_t> bytes_;
  skin::SkinFileContents contents_;
};

TEST_P(BuiltSkinTest, FacesFitTheirControls) {
  const auto& items = GetParam().items;
  for (size_t i = 0; i < items.size(); ++i) {
    const skin::ItemRecord& r = contents_.records[i];
    EXPECT_EQ(contents_.names[i], items[i].name);
    for (int slot = 0; slot < skin::kBitmapSlots; ++slot) {
      if (r.bitmaps[slot] == skin::kNoBitmap) continue;
      skin::DibImage image = Bitmap(r.bitmaps[slot]);
      bool thumb = items[i].kind == ItemKind::kSlider && slot != skin::kSlotChannel;
      if (thumb) {
        EXPECT_LE(image.info.height, r.height) << items[i].name << " thumb";
        EXPECT_LT(image.info.width, r.width) << items[i].name << " thumb";
      } else {
        EXPECT_EQ(image.info.width, r.width) << items[i].name << " slot " << slot;
        EXPECT_EQ(image.info.height, r.height) << items[i].name << " slot " << slot;
      }
    }
    if (items[i].kind == ItemKind::kPlain) {
      EXPECT_EQ(std::count(r.bitmaps, r.bitmaps + 5, skin::kNoBitmap), 5) << items[i].name;
    } else {
      EXPECT_NE(r.bitmaps[0], skin::kNoBitmap) << items[i].name;
    }
    // Controls lie inside the form.
    EXPECT_GE(r.x, 0);
    EXPECT_GE(r.y, 0);
    EXPECT_LE(r.x + r.width, contents_.records[0].width) << items[i].name;
    EXPECT_LE(r.y + r.height, contents_.records[0].height) << items[i].name;
  }
}

TEST_P(BuiltSkinTest, FormOutlineIsRoundedAndSolidInside) {
  const skin::ItemRecord& form = contents_.records[0];
  ASSERT_NE(form.transparent, skin::kNoRegion);
  skin::DibImage image = Bitmap(form.bitmaps[0]);
  const int w = image.info.width, h = image.info.height;
  std::vector<uint8_t> pixels;  // 32-bit, bottom-up
  const size_t stride = static_cast<size_t>(skin::RowStride(image.info));
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = image.bits.data() + stride * static_cast<size_t>(row) + 3 * static_cast<size_t>(x);
      pixels.insert(pixels.end(), {p[0], p[1], p[2], 0});
    }
  auto runs = skin::FindOpaqueRuns(pixels.data() + 4 * w * (h - 1), -4 * w, w, h,
                                   skin::TransparentTest(form.transparent));
  ASSERT_EQ(runs.size(), static_cast<size_t>(h)) << "one run per row: a solid, convex outline";
  EXPECT_GT(runs.front().left, 0) << "top corners cut";
  EXPECT_GT(runs.back().left, 0) << "bottom corners cut";
  EXPECT_EQ(runs[static_cast<size_t>(h / 2)].left, 0);
  EXPECT_EQ(runs[static_cast<size_t>(h / 2)].right, w);
}

INSTANTIATE_TEST_SUITE_P(Shipped, BuiltSkinTest, ::testing::ValuesIn(skin::kSkinnedWindows),
                         [](const ::testing::TestParamInfo<skin::SkinnedWindow>& info) {
                           std::string name = info.param.skin_file + 1;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace skinpack
