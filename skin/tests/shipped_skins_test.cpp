// The four skin files the build makes, applied under Wine to windows shaped
// like the viewer's: sizes and outlines, controls where the skin puts them,
// every button's and check box's face per state read back from the screen,
// and the seek slider moved from code.
#include <gtest/gtest.h>

#include "skin/tests/skin_test_resource.h"
#include "skin/tests/win32_support.h"

#include <commctrl.h>

namespace skin {
namespace {

using testing::BuiltSkin;
using testing::DistFolder;
using testing::InWindowRegion;
using testing::PixelOf;
using testing::PlaceInParent;
using testing::Pump;
using testing::ReadBuiltSkin;
using testing::RecordingMessages;
using testing::ScreenPixel;
using testing::SkinnedDialog;

struct Window {
  const SkinnedWindow& skin;
  int template_id;
};
const Window kWindows[] = {
    {kMainWindowSkin, IDD_TEST_MAIN},
    {kLoginSkin, IDD_TEST_LOGIN},
    {kFileWindowSkin, IDD_TEST_FILES},
    {kSeekSliderSkin, IDD_TEST_SEEK},
};

class ShippedSkinTest : public ::testing::TestWithParam<Window> {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void SetUp() override {
    const Window& w = GetParam();
    built_ = ReadBuiltSkin(w.skin);
    dialog_ = std::make_unique<SkinnedDialog>(w.template_id, w.skin.items, DistFolder() + w.skin.skin_file,
                                              messages_);
    ASSERT_NE(dialog_->Create(nullptr), nullptr);
    ShowWindow(dialog_->hwnd(), SW_SHOWNOACTIVATE);
    Pump();
  }
  void TearDown() override {
    dialog_.reset();
    Pump();
  }
  const ItemRecord& Record(size_t i) const { return built_.contents.records[i]; }

  RecordingMessages messages_;
  BuiltSkin built_;
  std::unique_ptr<SkinnedDialog> dialog_;
};

TEST_P(ShippedSkinTest, WindowTakesTheSkinsSizeOutlineAndBackground) {
  EXPECT_TRUE(messages_.shown.empty()) << messages_.shown.front();
  ASSERT_TRUE(dialog_->skin().applied());
  const ItemRecord& form = Record(0);
  HWND hwnd = dialog_->hwnd();
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right - r.left, form.width);
  EXPECT_EQ(r.bottom - r.top, form.height);
  // Rounded corners: the very corners are cut, the edges' middles are not.
  EXPECT_FALSE(InWindowRegion(hwnd, 0, 0));
  EXPECT_FALSE(InWindowRegion(hwnd, form.width - 1, form.height - 1));
  EXPECT_TRUE(InWindowRegion(hwnd, 0, form.height / 2));
  EXPECT_TRUE(InWindowRegion(hwnd, form.width / 2, 0));
  // The background shows where no control lies: the left edge's middle.
  DibImage background = built_.Bitmap(form.bitmaps[kSlotBackground]);
  EXPECT_EQ(ScreenPixel(hwnd, 2, form.height / 2), PixelOf(background, 2, form.height / 2));
  EXPECT_EQ(ScreenPixel(hwnd, form.width / 2, 3), PixelOf(background, form.width / 2, 3));
}

TEST_P(ShippedSkinTest, ControlsSitWhereTheSkinSays) {
  const auto& items = GetParam().skin.items;
  for (size_t i = 1; i < items.size(); ++i) {
    HWND control = dialog_->Item(items[i].control_id);
    ASSERT_NE(control, nullptr) << items[i].name;
    RECT r = PlaceInParent(control);
    const ItemRecord& rec = Record(i);
    EXPECT_EQ(r.left, rec.x) << items[i].name;
    EXPECT_EQ(r.top, rec.y) << items[i].name;
    EXPECT_EQ(r.right - r.left, rec.width) << items[i].name;
    EXPECT_EQ(r.bottom - r.top, rec.height) << items[i].name;
    EXPECT_EQ(dialog_->skin().item(static_cast<int>(i)).applied, items[i].kind != ItemKind::kPlain) << items[i].name;
  }
}

// A point of the face where the given slots' bitmaps all differ.
bool FindDistinctPoint(const std::vector<DibImage>& faces, POINT* at) {
  for (int y = 0; y < faces[0].info.height; ++y) {
    for (int x = 0; x < faces[0].info.width; ++x) {
      bool distinct = true;
      for (size_t a = 0; a < faces.size() && distinct; ++a)
        for (size_t b = a + 1; b < faces.size() && distinct; ++b)
          distinct = PixelOf(faces[a], x, y) != PixelOf(faces[b], x, y);
      if (distinct) {
        *at = {x, y};
        return true;
      }
    }
  }
  return false;
}

// How a face follows its control's state is the engine's (tested with a
// hand-made skin); the artwork's part is that the faces of one control
// differ, and that the face at rest is the one shown.
TEST_P(ShippedSkinTest, ButtonAndCheckBoxFacesDifferAndTheOneAtRestShows) {
  const auto& items = GetParam().skin.items;
  for (size_t i = 1; i < items.size(); ++i) {
    const bool button = items[i].kind == ItemKind::kButton;
    if (!button && items[i].kind != ItemKind::kCheckBox) continue;
    const ItemRecord& rec = Record(i);
    std::vector<DibImage> faces;
    for (int slot : button ? std::vector<int>{kSlotNormal, kSlotOver, kSlotPressed, kSlotDisabled}
                           : std::vector<int>{kSlotNormal, kSlotChecked})
      faces.push_back(built_.Bitmap(rec.bitmaps[slot]));
    POINT p;
    ASSERT_TRUE(FindDistinctPoint(faces, &p)) << items[i].name << ": its faces look alike everywhere";
    HWND control = dialog_->Item(items[i].control_id);
    EXPECT_EQ(ScreenPixel(control, p.x, p.y), PixelOf(faces[0], p.x, p.y)) << items[i].name << " at rest";
    if (button && rec.bitmaps[kSlotMask] != kNoBitmap) {
      EXPECT_FALSE(InWindowRegion(control, 0, 0)) << items[i].name << ": round, its corner is cut";
      EXPECT_TRUE(InWindowRegion(control, rec.width / 2, rec.height / 2)) << items[i].name;
    }
  }
}

// Playback moves the seek slider from code many times a second: where the
// thumb was, the channel shows again.
TEST_P(ShippedSkinTest, SliderMovedFromCodeLeavesNoTrail) {
  const auto& items = GetParam().skin.items;
  for (size_t i = 1; i < items.size(); ++i) {
    if (items[i].kind != ItemKind::kSlider) continue;
    const ItemRecord& rec = Record(i);
    const int thumb = built_.Bitmap(rec.bitmaps[kSlotThumb]).info.width;
    const int travel = rec.width - thumb;
    HWND slider = dialog_->Item(items[i].control_id);
    SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageW(slider, TBM_SETPOS, TRUE, 10);
    ScreenPixel(slider, 0, 0);  // all drawn once
    for (int position = 12; position <= 60; position += 2) {
      SendMessageW(slider, TBM_SETPOS, TRUE, position);
      UpdateWindow(slider);
    }
    const DibImage channel = built_.Bitmap(rec.bitmaps[kSlotChannel]);
    win32::WindowDc dc(slider);
    for (int x : {10 * travel / 100 + 1, 10 * travel / 100 + thumb / 2, 40 * travel / 100 + thumb / 2})
      EXPECT_EQ(GetPixel(dc.get(), x, rec.height / 2), PixelOf(channel, x, rec.height / 2)) << items[i].name << " x " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedSkinTest, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           std::string name = info.param.skin.skin_file + 1;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace skin
