// SkinSet and the skinned controls under Wine, on a small window and a skin
// made for it: the form's size and outline, controls placed and drawn per
// state, the check box's press released outside, the slider's drag and its
// notifications, and each way a skin fails while the window carries on.
#include "skin/win32/skin_set.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "skin/tests/bmp_bytes.h"
#include "skin/tests/skin_test_resource.h"
#include "skin/tests/win32_support.h"

namespace skin {
namespace {

using testing::HasWindowRegion;
using testing::InWindowRegion;
using testing::Item;
using testing::Notice;
using testing::OwnerDrawn;
using testing::PictureBmp;
using testing::PlaceInParent;
using testing::Pump;
using testing::RecordingMessages;
using testing::ScreenPixel;
using testing::SkinnedDialog;
using testing::SolidBmp;
using testing::TempFile;

constexpr uint32_t kMagenta = 0xFF00FF;
constexpr WindowItem kStateItems[] = {
    {"[Form]", 0, ItemKind::kForm},
    {"BUTTON", IDC_STATE_BUTTON, ItemKind::kButton},
    {"CHECK", IDC_STATE_CHECK, ItemKind::kCheckBox},
    {"SLIDER", IDC_STATE_SLIDER, ItemKind::kSlider},
    {"EDIT", IDC_STATE_EDIT, ItemKind::kPlain},
};

// Colours of the hand-made skin, 0x00RRGGBB.
constexpr uint32_t kBackground = 0x202830, kNormal = 0x305070, kOver = 0x40A040, kPressed = 0xC04040,
                   kDisabled = 0x808080, kUnchecked = 0x102040, kChecked = 0x20C0C0, kCheckOff = 0x505050,
                   kThumb = 0xE0E0E0, kThumbDrag = 0x40A0E0, kChannel = 0x101010;

COLORREF Ref(uint32_t rgb) { return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

std::vector<std::string> Rows(int w, int h, const std::function<char(int, int)>& at) {
  std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), ' '));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = at(x, y);
  return rows;
}

struct StateSkin {
  std::vector<ItemRecord> records = {
      Item(0, 0, 200, 120, {0}, kMagenta),                    // form: top-left 10 x 10 cut away
      Item(20, 20, 40, 20, {1, 2, 3, 4, 5}, kMagenta),        // button: its left column cut away
      Item(20, 50, 40, 20, {6, -1, 7, 8}, kNoRegion),         // check box
      Item(20, 80, 120, 16, {9, -1, 10, 11}, kMagenta),       // slider
      Item(80, 20, 100, 20, {}, kNoRegion),                   // edit
  };
  std::vector<std::vector<uint8_t>> bitmaps = {
      PictureBmp(Rows(200, 120, [](int x, int y) { return x < 10 && y < 10 ? '.' : 'b'; }),
                 {{'.', kMagenta}, {'b', kBackground}}),
      SolidBmp(40, 20, kNormal),
      SolidBmp(40, 20, kOver),
      SolidBmp(40, 20, kPressed),
      SolidBmp(40, 20, kDisabled),
      PictureBmp(Rows(40, 20, [](int x, int) { return x == 0 ? '.' : '#'; }), {{'.', kMagenta}, {'#', 0}}),
      SolidBmp(40, 20, kUnchecked),
      SolidBmp(40, 20, kChecked),
      SolidBmp(40, 20, kCheckOff),
      // Thumb 10 x 16 with its top-left pixel transparent.
      PictureBmp(Rows(10, 16, [](int x, int y) { return x == 0 && y == 0 ? '.' : 't'; }),
                 {{'.', kMagenta}, {'t', kThumb}}),
      PictureBmp(Rows(10, 16, [](int x, int y) { return x == 0 && y == 0 ? '.' : 't'; }),
                 {{'.', kMagenta}, {'t', kThumbDrag}}),
      SolidBmp(120, 16, kChannel),
  };
  std::vector<uint8_t> File() const { return testing::MakeSkin(records, bitmaps); }
};

class SkinSetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
  }
  // Opens the states window skinned with `file` (default setup unless given).
  HWND Open(const std::vector<uint8_t>& file, SkinnedDialog::Setup setup = {}) {
    file_ = std::make_unique<TempFile>(file);
    dialog_ = std::make_unique<SkinnedDialog>(IDD_TEST_STATES, kStateItems, file_->path(), messages_,
                                              std::move(setup));
    HWND hwnd = dialog_->Create(nullptr);
    EXPECT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    Pump();
    return hwnd;
  }
  HWND Control(int id) const { return dialog_->Item(id); }
  void TearDown() override {
    dialog_.reset();
    Pump();
  }

  RecordingMessages messages_;
  std::unique_ptr<TempFile> file_;
  std::unique_ptr<SkinnedDialog> dialog_;
};

void ExpectPlaced(HWND control, int x, int y, int w, int h) {
  RECT r = PlaceInParent(control);
  EXPECT_EQ(r.left, x);
  EXPECT_EQ(r.top, y);
  EXPECT_EQ(r.right - r.left, w);
  EXPECT_EQ(r.bottom - r.top, h);
}

TEST_F(SkinSetTest, FormIsSizedInPlaceCutAndPainted) {
  HWND hwnd = Open(StateSkin().File(), [](SkinnedDialog& d) {
    SetWindowPos(d.hwnd(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    d.ApplySkin();
  });
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 50) << "the form moved";
  EXPECT_EQ(r.top, 60) << "the form moved";
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(r.bottom - r.top, 120);
  EXPECT_FALSE(InWindowRegion(hwnd, 0, 0));
  EXPECT_FALSE(InWindowRegion(hwnd, 9, 9));
  EXPECT_TRUE(InWindowRegion(hwnd, 10, 9));
  EXPECT_TRUE(InWindowRegion(hwnd, 199, 119));
  EXPECT_EQ(ScreenPixel(hwnd, 100, 110), Ref(kBackground));
  EXPECT_TRUE(dialog_->skin().applied());
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(dialog_->skin().item(i).applied) << "item " << i;
  EXPECT_TRUE(messages_.shown.empty()) << messages_.shown[0];
}

TEST_F(SkinSetTest, ControlsArePlacedAndSkinnedByKind) {
  Open(StateSkin().File());
  ExpectPlaced(Control(IDC_STATE_EDIT), 80, 20, 100, 20);
  EXPECT_TRUE(OwnerDrawn(Control(IDC_STATE_BUTTON)));
  EXPECT_TRUE(OwnerDrawn(Control(IDC_STATE_CHECK)));
  EXPECT_TRUE(GetWindowLongPtrW(Control(IDC_STATE_BUTTON), GWL_STYLE) & WS_CLIPCHILDREN);
  EXPECT_FALSE(dialog_->skin().item(4).applied) << "a plain control keeps its standard look";
  // The button's outline comes from its mask; the check box has none.
  EXPECT_FALSE(InWindowRegion(Control(IDC_STATE_BUTTON), 0, 5));
  EXPECT_TRUE(InWindowRegion(Control(IDC_STATE_BUTTON), 1, 5));
  EXPECT_FALSE(HasWindowRegion(Control(IDC_STATE_CHECK)));
  EXPECT_EQ(SendMessageW(Control(IDC_STATE_SLIDER), TBM_GETPAGESIZE, 0, 0), 10);
}

TEST_F(SkinSetTest, ButtonShowsTheBitmapOfEachState) {
  Open(StateSkin().File());
  HWND button = Control(IDC_STATE_BUTTON);
  EXPECT_EQ(ScreenPixel(button, 20, 10), Ref(kNormal)) << "at rest";
  SendMessageW(button, WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(ScreenPixel(button, 20, 10), Ref(kOver)) << "pointer over it";
  SendMessageW(button, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(ScreenPixel(button, 20, 10), Ref(kPressed)) << "pressed";
  SendMessageW(button, BM_SETSTATE, FALSE, 0);
  SendMessageW(button, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(ScreenPixel(button, 20, 10), Ref(kNormal)) << "pointer gone";
  EnableWindow(button, FALSE);
  EXPECT_EQ(ScreenPixel(button, 20, 10), Ref(kDisabled)) << "disabled";
}

// A skinned button with the keyboard's focus shows it, as a standard one does.
TEST_F(SkinSetTest, AButtonWithTheFocusShowsItsFocusRectangle) {
  Open(StateSkin().File());
  HWND button = Control(IDC_STATE_BUTTON);
  SendMessageW(dialog_->hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  auto focus_line = [&] {
    int marked = 0;
    for (int x = 4; x < 36; ++x) marked += ScreenPixel(button, x, 2) != Ref(kNormal);
    return marked;
  };
  EXPECT_EQ(0, focus_line()) << "without the focus";
  SetFocus(button);
  Pump();
  EXPECT_GT(focus_line(), 8) << "the dotted line along its top";
}

TEST_F(SkinSetTest, CheckBoxPressReleasedOutsideChangesNothing) {
  Open(StateSkin().File());
  HWND check = Control(IDC_STATE_CHECK);
  EXPECT_EQ(IsDlgButtonChecked(dialog_->hwnd(), IDC_STATE_CHECK), BST_UNCHECKED);
  EXPECT_EQ(ScreenPixel(check, 20, 10), Ref(kUnchecked));

  SendMessageW(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(ScreenPixel(check, 20, 10), Ref(kChecked)) << "shown checked while held";
  SendMessageW(check, WM_LBUTTONUP, 0, MAKELPARAM(300, 10));
  Pump();
  EXPECT_EQ(IsDlgButtonChecked(dialog_->hwnd(), IDC_STATE_CHECK), BST_UNCHECKED);
  EXPECT_EQ(ScreenPixel(check, 20, 10), Ref(kUnchecked));
  EXPECT_TRUE(dialog_->notices.empty()) << "a press released outside is no click";

  SendMessageW(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(check, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  Pump();
  EXPECT_EQ(IsDlgButtonChecked(dialog_->hwnd(), IDC_STATE_CHECK), BST_CHECKED);
  EXPECT_EQ(ScreenPixel(check, 20, 10), Ref(kChecked));
  EXPECT_EQ(dialog_->notices, (std::vector<Notice>{{WM_COMMAND, BN_CLICKED, IDC_STATE_CHECK}}));

  CheckDlgButton(dialog_->hwnd(), IDC_STATE_CHECK, BST_UNCHECKED);
  EXPECT_EQ(ScreenPixel(check, 20, 10), Ref(kUnchecked)) << "set through BM_SETCHECK";

  dialog_->notices.clear();
  SendMessageW(check, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(check, WM_KEYUP, VK_SPACE, 0);
  Pump();
  EXPECT_EQ(IsDlgButtonChecked(dialog_->hwnd(), IDC_STATE_CHECK), BST_CHECKED) << "the space bar clicks it";
  EXPECT_EQ(dialog_->notices, (std::vector<Notice>{{WM_COMMAND, BN_CLICKED, IDC_STATE_CHECK}}));
  SendMessageW(check, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog_->hwnd(), IDC_STATE_CHECK), BST_CHECKED) << "a key-up alone is no click";

  EnableWindow(check, FALSE);
  EXPECT_EQ(ScreenPixel(check, 20, 10), Ref(kCheckOff));
}

TEST_F(SkinSetTest, SliderDragPostsTrackThenPositionAndEnd) {
  Open(StateSkin().File());
  HWND slider = Control(IDC_STATE_SLIDER);
  SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageW(slider, TBM_SETPOS, TRUE, 0);
  // Client 120 wide, thumb 10: travel 110; value = trunc(100 x (x - 5) / 110).
  SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 8));
  EXPECT_EQ(GetCapture(), slider);
  EXPECT_EQ(GetFocus(), slider);
  SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 8));  // 50
  SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(61, 8));  // 50.9: unchanged
  EXPECT_EQ(ScreenPixel(slider, 55 + 5, 8), Ref(kThumbDrag)) << "the dragged thumb at 50 (left edge 55)";
  SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(93, 8));  // 80
  SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(27, 8));           // 20
  Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 20);
  EXPECT_EQ(dialog_->notices, (std::vector<Notice>{{WM_HSCROLL, TB_THUMBTRACK, 50},
                                                    {WM_HSCROLL, TB_THUMBTRACK, 80},
                                                    {WM_HSCROLL, TB_THUMBTRACK, 20},
                                                    {WM_HSCROLL, TB_THUMBPOSITION, 20},
                                                    {WM_HSCROLL, TB_ENDTRACK, 0}}));
  // Thumb at 20: left edge 22. Its transparent corner shows the channel.
  EXPECT_EQ(ScreenPixel(slider, 22 + 5, 8), Ref(kThumb));
  EXPECT_EQ(ScreenPixel(slider, 22, 0), Ref(kChannel));
  EXPECT_EQ(ScreenPixel(slider, 21, 8), Ref(kChannel));

  dialog_->notices.clear();
  SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(27, 8));
  SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(27, 8));
  Pump();
  EXPECT_TRUE(dialog_->notices.empty()) << "a click that changes nothing notifies nothing";
}

TEST_F(SkinSetTest, ItemCountDifferentFromTheWindowLeavesTheTemplate) {
  StateSkin skin;
  skin.records.pop_back();  // four records for a window of five items
  RECT before_button;
  HWND hwnd = Open(skin.File(), [&](SkinnedDialog& d) {
    before_button = PlaceInParent(d.Item(IDC_STATE_BUTTON));
    d.ApplySkin();
  });
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"DoSkins : Not LoadSkinFile Error"});
  EXPECT_FALSE(dialog_->skin().loaded());
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_NE(r.right - r.left, 200) << "the template size stays";
  EXPECT_FALSE(HasWindowRegion(hwnd));
  RECT after_button = PlaceInParent(Control(IDC_STATE_BUTTON));
  EXPECT_TRUE(EqualRect(&before_button, &after_button));
  EXPECT_FALSE(OwnerDrawn(Control(IDC_STATE_BUTTON)));
}

TEST_F(SkinSetTest, RegisteredItemsFewerThanTheCapacityAreReported) {
  Open(StateSkin().File(), [](SkinnedDialog& d) {
    d.skin().InitItems(5);
    for (int i = 0; i < 4; ++i) d.skin().AddItem(kStateItems[i].name, kStateItems[i].control_id, kStateItems[i].kind);
    EXPECT_TRUE(d.skin().LoadSkinFile(d.skin_path()));
    d.skin().DoSkins(d.hwnd());
  });
  EXPECT_EQ(messages_.shown,
            std::vector<std::string>{"DoSkins : Not Match : nItems = 5 , nItemAssigned = 4 , Comdata = 5 "});
  EXPECT_FALSE(dialog_->skin().applied());
  EXPECT_FALSE(OwnerDrawn(Control(IDC_STATE_BUTTON)));
}

TEST_F(SkinSetTest, MissingFileIsReportedWithItsPath) {
  Open({}, [](SkinnedDialog& d) {
    d.skin().Register(kStateItems);
    EXPECT_FALSE(d.skin().LoadSkinFile("Z:\\no\\such\\folder\\voRizivoMain.skn"));
    d.skin().DoSkins(d.hwnd());
  });
  EXPECT_EQ(messages_.shown, (std::vector<std::string>{
                                 "ReadSkinFile : File Open Failed : Z:\\no\\such\\folder\\voRizivoMain.skn",
                                 "DoSkins : Not LoadSkinFile Error"}));
}

TEST_F(SkinSetTest, NoTransparentColourMeansARectangularWindowAndButton) {
  StateSkin skin;
  skin.records[0].transparent = kNoRegion;
  skin.records[1].transparent = kNoRegion;
  HWND hwnd = Open(skin.File());
  EXPECT_FALSE(HasWindowRegion(hwnd));
  EXPECT_FALSE(HasWindowRegion(Control(IDC_STATE_BUTTON)));
  EXPECT_TRUE(dialog_->skin().item(0).applied);
  EXPECT_TRUE(dialog_->skin().item(1).applied);
  EXPECT_EQ(ScreenPixel(hwnd, 2, 2), Ref(kMagenta)) << "the background is drawn whole";
}

TEST_F(SkinSetTest, BitmapIndexEqualToTheCountLeavesThatButtonStandard) {
  StateSkin skin;
  const auto count = static_cast<int32_t>(skin.bitmaps.size());
  skin.records[1].bitmaps[kSlotPressed] = count;
  Open(skin.File());
  EXPECT_EQ(messages_.shown, std::vector<std::string>{"CBmp2Rgn::LoadBmp : Invalid BitmapID !! , ID = " +
                                                      std::to_string(count) + " "});
  EXPECT_FALSE(dialog_->skin().item(1).applied);
  EXPECT_FALSE(OwnerDrawn(Control(IDC_STATE_BUTTON)));
  EXPECT_TRUE(dialog_->skin().item(2).applied) << "the other controls are skinned all the same";
  EXPECT_TRUE(dialog_->skin().applied());
}

TEST_F(SkinSetTest, AddItemReplacesByNameAndRefusesWhenFull) {
  SkinSet set(messages_);
  EXPECT_FALSE(set.AddItem("X", 1, ItemKind::kButton)) << "no capacity";
  set.InitItems(2);
  EXPECT_TRUE(set.AddItem("[Form]", 0, ItemKind::kForm));
  EXPECT_TRUE(set.AddItem("A", 5, ItemKind::kButton));
  EXPECT_TRUE(set.AddItem("A", 6, ItemKind::kSlider));
  EXPECT_EQ(set.count(), 2);
  EXPECT_EQ(set.item(1).control_id, 6);
  EXPECT_EQ(set.item(1).kind, ItemKind::kSlider);
  EXPECT_FALSE(set.AddItem("B", 7, ItemKind::kButton));
}

TEST_F(SkinSetTest, ResetTakesTheSkinOffAgain) {
  HWND hwnd = Open(StateSkin().File());
  dialog_->skin().Reset();
  EXPECT_FALSE(HasWindowRegion(hwnd));
  EXPECT_FALSE(HasWindowRegion(Control(IDC_STATE_BUTTON)));
  EXPECT_FALSE(OwnerDrawn(Control(IDC_STATE_BUTTON)));
  EXPECT_FALSE(OwnerDrawn(Control(IDC_STATE_CHECK)));
  EXPECT_EQ(dialog_->skin().capacity(), 0);
  EXPECT_FALSE(dialog_->skin().applied());
  win32::WindowDc dc(hwnd);
  EXPECT_FALSE(dialog_->skin().PaintBackground(dc.get()));
}

TEST_F(SkinSetTest, ResourceFormSkinsAButtonFromProgramBitmaps) {
  Open(StateSkin().File());
  HWND edit_as_button = Control(IDC_STATE_BUTTON);
  dialog_->skin().Reset();
  CSkinButton button(messages_);
  button.Attach(edit_as_button);
  const int ids[kBitmapSlots] = {IDB_FACE_NORMAL, IDB_FACE_OVER, IDB_FACE_PRESSED, IDB_FACE_DISABLED, IDB_FACE_MASK};
  EXPECT_EQ(button.SetSkin(30, 30, 24, 16, ItemKind::kButton, GetModuleHandleW(nullptr), ids, kMagenta), 0);
  ExpectPlaced(edit_as_button, 30, 30, 24, 16);
  EXPECT_EQ(ScreenPixel(edit_as_button, 12, 8), RGB(0x30, 0x60, 0x90));
  SendMessageW(edit_as_button, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(ScreenPixel(edit_as_button, 12, 8), RGB(0xC0, 0x40, 0x40));
  EXPECT_FALSE(InWindowRegion(edit_as_button, 3, 3));
  EXPECT_TRUE(InWindowRegion(edit_as_button, 4, 3));

  const int missing[kBitmapSlots] = {IDB_FACE_NORMAL, 999, 0, 0, 0};
  EXPECT_EQ(button.SetSkin(30, 30, 24, 16, ItemKind::kButton, GetModuleHandleW(nullptr), missing, kMagenta), 2);
  EXPECT_FALSE(OwnerDrawn(edit_as_button));
}

}  // namespace
}  // namespace skin
