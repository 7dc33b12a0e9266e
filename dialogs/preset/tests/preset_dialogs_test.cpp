// The preset and pan/tilt dialogs in-process under Wine against halyard-sim:
// real dialogs from the real templates, driven through their controls, the
// messages read back from the simulated camera; message boxes, the number
// and the position dialog answered by the test where a dialog asks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <deque>

#include "dialogs/preset/win32/preset_dialog.h"
#include "dialogs/preset/win32/preset_number_dialog.h"
#include "dialogs/preset/win32/preset_position_dialog.h"
#include "dialogs/preset/win32/preset_resource.h"
#include "dialogs/preset/win32/preset_setup_dialog.h"
#include "dialogs/tests/camera_rig.h"
#include "os/clock.h"
#include "os/win32/list_view.h"
#include "os/win32/text.h"

namespace dialogs {
namespace {

using testing::CameraRig;
using testing::ModalDriver;
using testing::PumpFor;
using testing::PumpUntil;
using win32::testing::Click;

std::string Text(HWND dialog, int id) { return win32::testing::WindowText(GetDlgItem(dialog, id)); }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Answers in place of the user: scripted numbers, positions and yes/no.
class ScriptedPrompts : public PresetPrompts {
 public:
  void Tell(HWND, const std::string& text) override { told.push_back(text); }
  bool Confirm(HWND, const std::string& text) override {
    asked.push_back(text);
    return yes;
  }
  bool AskNumber(HWND, int maximum, int* number) override {
    maximums.push_back(maximum);
    if (numbers.empty()) return false;
    *number = numbers.front();
    numbers.pop_front();
    return true;
  }
  bool EditPosition(HWND, PositionFields* fields) override {
    offered.push_back(*fields);
    if (!position_ok) return false;
    fields->location = location;
    fields->stay = stay;
    fields->enabled = enabled;
    return true;
  }
  std::vector<std::string> told, asked;
  std::vector<int> maximums;
  std::deque<int> numbers;
  std::vector<PositionFields> offered;
  bool yes = true, position_ok = true, enabled = true;
  std::string location = "gate";
  int stay = 15;
};

net::CameraSetupInfo RecordWithPresets(bool tour) {
  net::CameraSetupInfo info = net::CameraSetupInfo::Defaults();
  info.SetPreset(0, {"door", 10, -5, 3, 10, true});
  info.SetPreset(1, {"yard", 100, 20, 0, 30, false});
  info.SetPreset(2, {"gate", -40, 7, 2, 5, true});
  info.SetPresetCount(3);
  info.data()[preset::kTourFlagOffset] = tour ? 1 : 0;
  return info;
}

class PresetDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void Start(bool tour = false) {
    record_ = RecordWithPresets(tour);
    rig_ = std::make_unique<CameraRig>(&record_);
    ASSERT_TRUE(rig_->Connect());
    rig_->world().log().Clear();
  }
  void TearDown() override { rig_.reset(); }
  std::vector<std::string> Lines(const std::string& filter) { return rig_->world().log().Lines(filter); }
  // Control requests the camera received (the link's own messages aside).
  size_t Controls() {
    size_t n = 0;
    for (const auto& r : rig_->world().log().All())
      n += r.name == "RequestPTZControl" || r.name == "RequestLensControl" || r.name == "RequestPresetCommand";
    return n;
  }
  // The setup dialog, modeless and hidden, on the node's record.
  std::unique_ptr<CPresetSetupDialog> OpenSetup() {
    node::CNodeWindow& node = rig_->node();
    auto dialog =
        std::make_unique<CPresetSetupDialog>(GetModuleHandleW(nullptr), node.Control(), node.setup_info(), prompts_);
    EXPECT_NE(nullptr, dialog->Create(rig_->window()));
    list_.Attach(GetDlgItem(dialog->hwnd(), IDC_PRESET_LIST));
    return dialog;
  }
  std::vector<std::string> Row(int row) {
    std::vector<std::string> texts;
    for (int c = 0; c < 7; ++c) texts.push_back(list_.Text(row, c));
    return texts;
  }
  void Select(int row) { list_.Select(row); }

  testing::SettingsFile settings_{""};
  testing::RecordedMessages messages_;
  ScriptedPrompts prompts_;
  net::CameraSetupInfo record_;
  std::unique_ptr<CameraRig> rig_;
  win32::ListView list_;
};

constexpr char kOverMaximum39[] = "최대 번호 ( 39 )를 넘었습니다. \r\n다시 입력하여 주십시오";

TEST_F(PresetDialogs, NumberDialogTakesOneToItsMaximum) {
  const struct {
    const char* typed;
    bool accepted;
  } cases[] = {{"39", true}, {"1", true}, {"40", false}, {"0", false}, {"", false}, {"999999", false}};
  for (const auto& c : cases) {
    CPresetNumberDialog dialog(GetModuleHandleW(nullptr));
    ASSERT_NE(nullptr, dialog.Create(nullptr));
    EXPECT_EQ("1", Text(dialog.hwnd(), IDC_PRESET_NUMBER)) << "the number starts at 1";
    messages_.texts.clear();
    SetDlgItemTextW(dialog.hwnd(), IDC_PRESET_NUMBER, win32::Widen(c.typed).c_str());
    Click(dialog.hwnd(), IDOK);
    EXPECT_EQ(c.accepted ? IDOK : -1, dialog.result()) << c.typed;
    EXPECT_EQ(c.accepted ? std::vector<std::string>{} : std::vector<std::string>{kOverMaximum39}, messages_.texts);
    if (c.accepted) EXPECT_EQ(std::atoi(c.typed), dialog.number());
  }
  CPresetNumberDialog groups(GetModuleHandleW(nullptr), 15);
  groups.Create(nullptr);
  messages_.texts.clear();
  SetDlgItemTextW(groups.hwnd(), IDC_PRESET_NUMBER, L"16");
  Click(groups.hwnd(), IDOK);
  ASSERT_EQ(1u, messages_.texts.size());
  EXPECT_NE(std::string::npos, messages_.texts[0].find("( 15 )"));
}

// "Preset Goto" through the real number dialog, found by its title: 39
// sends preset command 2 with number 38.
TEST_F(PresetDialogs, PresetGotoSendsNumberMinusOne) {
  Start();
  ModalDriver driver([&] {
    HWND dialog = FindWindowW(nullptr, L"Please input a preset number");
    if (dialog) SetDlgItemTextW(dialog, IDC_PRESET_NUMBER, L"39"), Click(dialog, IDOK);
    return dialog != nullptr;
  });
  EXPECT_TRUE(RunPresetGoto(rig_->window(), rig_->node().Control()));
  EXPECT_TRUE(rig_->Received("CAM-1 RequestPresetCommand command=2 number=38 v2=0 v3=0"));
}

TEST_F(PresetDialogs, PanelButtonsAndArrowKeysSendTheirMessages) {
  Start();
  CPresetDialog panel(GetModuleHandleW(nullptr), rig_->node().Control(), prompts_);
  ASSERT_NE(nullptr, panel.Create(rig_->window()));
  const struct {
    int id;
    std::vector<int> numbers;  // what the number dialog answers
    const char* sent;          // nullptr: nothing
  } cases[] = {
      // The tilt goes negated on the wire.
      {IDC_PTZ_UP, {}, "RequestPTZControl pan=0 tilt=1"},
      {IDC_PTZ_LEFT, {}, "RequestPTZControl pan=-1 tilt=0"},
      {IDC_PTZ_RIGHT, {}, "RequestPTZControl pan=1 tilt=0"},
      {IDC_PTZ_DOWN, {}, "RequestPTZControl pan=0 tilt=-1"},
      {IDC_ZOOM_IN, {}, "RequestLensControl operation=0 speed=1"},
      {IDC_ZOOM_OUT, {}, "RequestLensControl operation=1 speed=1"},
      {IDC_FOCUS_FAR, {}, "RequestLensControl operation=3 speed=1"},
      {IDC_FOCUS_NEAR, {}, "RequestLensControl operation=2 speed=1"},
      {IDC_PRESET_SETUP, {}, "RequestPresetCommand command=0 number=0 v2=0 v3=0"},
      {IDC_PRESET_GOTO, {39}, "RequestPresetCommand command=2 number=38 v2=0 v3=0"},
      {IDC_PRESET_GOTO, {40}, nullptr},
      {IDC_PRESET_GOTO, {0}, nullptr},
      {IDC_GROUP_SETUP, {}, "RequestPresetCommand command=3 number=0 v2=0 v3=0"},
      {IDC_GROUP_RUN, {15}, "RequestPresetCommand command=4 number=14 v2=0 v3=0"},
      {IDC_GROUP_RUN, {16}, nullptr},
      {IDC_GROUP_STOP, {}, "RequestPresetCommand command=5 number=0 v2=0 v3=0"},
  };
  for (const auto& c : cases) {
    rig_->world().log().Clear();
    prompts_.numbers.assign(c.numbers.begin(), c.numbers.end());
    prompts_.maximums.clear();
    Click(panel.hwnd(), c.id);
    if (c.sent) {
      EXPECT_TRUE(rig_->Received(std::string("CAM-1 ") + c.sent)) << c.id << " " << c.sent;
    } else {
      PumpFor(300);
    }
    EXPECT_EQ(c.sent ? 1u : 0u, Controls()) << "button " << c.id;
    if (!c.numbers.empty()) {
      ASSERT_EQ(1u, prompts_.maximums.size());
      EXPECT_EQ(c.id == IDC_GROUP_RUN ? 15 : 39, prompts_.maximums[0]);
    }
  }
  // The arrow keys step the camera as their buttons do and keep the focus.
  HWND focused = GetDlgItem(panel.hwnd(), IDC_PRESET_SETUP);
  SetFocus(focused);
  const struct {
    UINT key;
    const char* sent;
  } keys[] = {{VK_LEFT, "pan=-1 tilt=0"}, {VK_UP, "pan=0 tilt=1"}, {VK_RIGHT, "pan=1 tilt=0"}, {VK_DOWN, "pan=0 tilt=-1"}};
  for (const auto& k : keys) {
    rig_->world().log().Clear();
    // As a message loop hands it over: through the dialog manager first.
    MSG msg = {focused, WM_KEYDOWN, k.key, 1, 0, {0, 0}};
    if (!IsDialogMessageW(panel.hwnd(), &msg)) TranslateMessage(&msg), DispatchMessageW(&msg);
    EXPECT_TRUE(rig_->Received(std::string("CAM-1 RequestPTZControl ") + k.sent)) << k.key;
    EXPECT_EQ(1u, Controls());
  }
  EXPECT_EQ(focused, GetFocus()) << "an arrow key moved the focus";
}

TEST_F(PresetDialogs, PanelTakesItsTextsFromTheSettingsFileAndItsFacesFromBitmaps) {
  Start();
  {
    CPresetDialog panel(GetModuleHandleW(nullptr), rig_->node().Control(), prompts_);
    ASSERT_NE(nullptr, panel.Create(rig_->window()));
    EXPECT_EQ("Preset Setup", Text(panel.hwnd(), IDC_PRESET_SETUP));
    EXPECT_TRUE(panel.skinned()) << "a face bitmap did not load";
    EXPECT_EQ(BS_OWNERDRAW, GetWindowLongW(GetDlgItem(panel.hwnd(), IDC_PTZ_UP), GWL_STYLE) & BS_TYPEMASK);
  }
  testing::SettingsFile korean("[PRESET_DLG]\r\nPRESET_SETUP_BUTTON=프리셋 설정\r\nGROUP_RUN_BUTTON=그룹 실행\r\n");
  CPresetDialog panel(GetModuleHandleW(nullptr), rig_->node().Control(), prompts_);
  ASSERT_NE(nullptr, panel.Create(rig_->window()));
  EXPECT_EQ("프리셋 설정", Text(panel.hwnd(), IDC_PRESET_SETUP));
  EXPECT_EQ("그룹 실행", Text(panel.hwnd(), IDC_GROUP_RUN));
  EXPECT_EQ("Group Stop", Text(panel.hwnd(), IDC_GROUP_STOP));
}

// The rows' texts are the table's, tested without windows; here the list
// shows them, and a tour on at opening disables editing.
TEST_F(PresetDialogs, SetupDialogListsTheTableAndATourDisablesEditing) {
  Start(true);
  auto dialog = OpenSetup();
  ASSERT_EQ(3, list_.RowCount());
  EXPECT_EQ((std::vector<std::string>{"2", "yard", "100", "20", "0", "30", "FALSE"}), Row(1));
  EXPECT_TRUE(dialog->IsChecked(IDC_PRESET_ENABLE));
  for (int id : {IDC_PRESET_ADD, IDC_PRESET_MODIFY, IDC_PRESET_REMOVE, IDC_PRESET_REMOVE_ALL, IDC_PRESET_UP,
                 IDC_PRESET_DOWN, IDC_PRESET_APPLY})
    EXPECT_FALSE(Enabled(dialog->hwnd(), id)) << id;
  EXPECT_TRUE(Enabled(dialog->hwnd(), IDC_PRESET_ENABLE));
}

TEST_F(PresetDialogs, AddTakesTheCameraPositionWithoutFreezingTheWindow) {
  Start();
  ASSERT_TRUE(rig_->node().Control().SetPtzPosition({12, -3, 4}));
  ASSERT_TRUE(rig_->Received("SetPtzPosition"));
  auto dialog = OpenSetup();
  const uint64_t before = os::MonotonicMs();
  Click(dialog->hwnd(), IDC_PRESET_ADD);
  EXPECT_LT(os::MonotonicMs() - before, 1000u) << "the click waited for the camera";
  ASSERT_TRUE(PumpUntil([&] { return !dialog->waiting(); }, 6000));
  ASSERT_EQ(1u, prompts_.offered.size());
  EXPECT_EQ(4, prompts_.offered[0].serial);
  EXPECT_TRUE(prompts_.offered[0].enabled);
  EXPECT_EQ(10, prompts_.offered[0].stay);
  ASSERT_EQ(4, list_.RowCount());
  EXPECT_EQ((std::vector<std::string>{"4", "gate", "12", "-3", "4", "15", "TRUE"}), Row(3));
  EXPECT_TRUE(prompts_.told.empty());
  Click(dialog->hwnd(), IDC_PRESET_REMOVE_ALL);
  EXPECT_EQ("Are you sure to delete all items?", prompts_.asked.back());
  EXPECT_EQ(0, list_.RowCount());
}

TEST_F(PresetDialogs, AddWithoutAnAnswerSaysSoAfterFiveSeconds) {
  Start();
  rig_->world().Execute("fault CAM-1 drop 66");
  auto dialog = OpenSetup();
  const uint64_t before = os::MonotonicMs();
  Click(dialog->hwnd(), IDC_PRESET_ADD);
  EXPECT_LT(os::MonotonicMs() - before, 1000u) << "the click waited for the camera";
  EXPECT_TRUE(dialog->waiting());
  EXPECT_FALSE(Enabled(dialog->hwnd(), IDC_PRESET_ADD)) << "a second query while one waits";
  // The window keeps answering while it waits.
  PumpFor(1000);
  DWORD_PTR answer = 0;
  EXPECT_NE(0, SendMessageTimeoutW(dialog->hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 200, &answer));
  Click(dialog->hwnd(), IDCANCEL);
  EXPECT_TRUE(IsWindowVisible(dialog->hwnd()) || dialog->result() == -1) << "closed while the worker waits";
  ASSERT_TRUE(PumpUntil([&] { return !dialog->waiting(); }, 6000));
  EXPECT_GE(os::MonotonicMs() - before, 4900u);
  EXPECT_EQ((std::vector<std::string>{"Failed to get ptz position"}), prompts_.told);
  EXPECT_TRUE(prompts_.offered.empty());
  EXPECT_EQ(3, list_.RowCount());
  EXPECT_EQ(IDCANCEL, dialog->result()) << "the Cancel that came during the wait closes it now";
}

TEST_F(PresetDialogs, TourSwitchWaitsForTheCamerasAcknowledgement) {
  Start();
  auto dialog = OpenSetup();
  EXPECT_TRUE(Enabled(dialog->hwnd(), IDC_PRESET_ADD) && !dialog->IsChecked(IDC_PRESET_ENABLE)) << "no tour at opening";
  Click(dialog->hwnd(), IDC_PRESET_ENABLE);  // on: nothing is sent yet
  EXPECT_TRUE(dialog->IsChecked(IDC_PRESET_ENABLE));
  EXPECT_FALSE(Enabled(dialog->hwnd(), IDC_PRESET_ADD));
  EXPECT_TRUE(Enabled(dialog->hwnd(), IDC_PRESET_APPLY));
  PumpFor(200);
  EXPECT_TRUE(Lines("PresetEnable").empty());

  rig_->world().Execute("fault CAM-1 drop 70");
  Click(dialog->hwnd(), IDC_PRESET_ENABLE);  // off: asks the camera
  ASSERT_TRUE(rig_->Received("CAM-1 PresetEnable"));
  ASSERT_TRUE(PumpUntil([&] { return !dialog->waiting(); }, 6000));
  EXPECT_EQ((std::vector<std::string>{"preset enable recv error\n"}), prompts_.told);
  for (int id : {IDC_PRESET_ADD, IDC_PRESET_MODIFY, IDC_PRESET_REMOVE, IDC_PRESET_REMOVE_ALL, IDC_PRESET_UP,
                 IDC_PRESET_DOWN})
    EXPECT_FALSE(Enabled(dialog->hwnd(), id)) << id << " enabled without the camera's answer";
  EXPECT_TRUE(dialog->tour());

  PumpFor(5200);  // the unanswered request is forgiven after one more wait
  Click(dialog->hwnd(), IDC_PRESET_ENABLE);
  ASSERT_TRUE(PumpUntil([&] { return !dialog->waiting(); }, 6000));
  EXPECT_FALSE(dialog->tour());
  EXPECT_FALSE(dialog->IsChecked(IDC_PRESET_ENABLE));
  EXPECT_TRUE(Enabled(dialog->hwnd(), IDC_PRESET_ADD));
}

// The table's own rules (serials by position, the ends of a move, the whole
// table cleared) are tested without windows; here each button reaches them
// once, the list shows the result, and APPLY sends it.
TEST_F(PresetDialogs, EditsShowInTheListAndApplySendsTheWholeTable) {
  Start();
  auto dialog = OpenSetup();
  NMITEMACTIVATE click = {{list_.hwnd(), IDC_PRESET_LIST, static_cast<UINT>(NM_DBLCLK)}, 2};
  SendMessageW(dialog->hwnd(), WM_NOTIFY, IDC_PRESET_LIST, reinterpret_cast<LPARAM>(&click));
  EXPECT_TRUE(rig_->Received("CAM-1 SetPtzPosition v0=1 v1=255 pan=-40 tilt=7 zoom=2")) << "a double click goes there";
  Click(dialog->hwnd(), IDC_PRESET_REMOVE);
  EXPECT_EQ((std::vector<std::string>{"Please select a item."}), prompts_.told);

  Select(1);
  prompts_.location = "back yard";
  prompts_.stay = 45;
  Click(dialog->hwnd(), IDC_PRESET_MODIFY);
  ASSERT_EQ(1u, prompts_.offered.size());
  EXPECT_EQ(2, prompts_.offered[0].serial);
  EXPECT_EQ("yard", prompts_.offered[0].location);
  EXPECT_EQ(30, prompts_.offered[0].stay);
  EXPECT_FALSE(prompts_.offered[0].enabled);
  EXPECT_EQ((std::vector<std::string>{"2", "back yard", "100", "20", "0", "45", "TRUE"}), Row(1));

  Select(2);
  Click(dialog->hwnd(), IDC_PRESET_UP);
  EXPECT_EQ((std::vector<std::string>{"2", "gate", "-40", "7", "2", "5", "TRUE"}), Row(1));
  EXPECT_EQ(1, list_.SelectedRow()) << "the selection moves with the row";
  EXPECT_EQ(list_.hwnd(), GetFocus());
  Select(0);
  Click(dialog->hwnd(), IDC_PRESET_DOWN);
  EXPECT_EQ("door", list_.Text(1, 1));

  Select(1);
  prompts_.yes = false;
  Click(dialog->hwnd(), IDC_PRESET_REMOVE);
  EXPECT_EQ(3, list_.RowCount()) << "removed though the answer was no";
  prompts_.yes = true;
  Click(dialog->hwnd(), IDC_PRESET_REMOVE);
  EXPECT_EQ(2u, prompts_.asked.size());
  EXPECT_EQ("Are you sure to delete this item?", prompts_.asked.back());

  Click(dialog->hwnd(), IDC_PRESET_ENABLE);
  const int seen = rig_->SetupRequests();
  Click(dialog->hwnd(), IDC_PRESET_APPLY);
  EXPECT_EQ(IDOK, dialog->result());
  std::vector<uint8_t> body;
  ASSERT_TRUE(rig_->NextSetupRequest(seen, &body));
  ASSERT_EQ(net::kCameraSetupInfoSize, body.size());
  net::CameraSetupInfo want = record_;
  preset::WritePresetTable(&want, {record_.Preset(2), {"back yard", 100, 20, 0, 45, true}}, true);
  EXPECT_EQ(0, std::memcmp(want.data(), body.data(), body.size())) << "the removed entry is still in the table";
}

TEST_F(PresetDialogs, SetupOpensOnlyWithTheCamerasRecord) {
  CameraRig unconnected;
  EXPECT_EQ(-1, ShowPresetSetupDialog(unconnected.window(), unconnected.node()));
}

TEST_F(PresetDialogs, PositionDialogFields) {
  PositionFields fields;
  fields.serial = 4;
  CPresetPositionDialog dialog(GetModuleHandleW(nullptr), fields);
  ASSERT_NE(nullptr, dialog.Create(nullptr));
  EXPECT_EQ("4", Text(dialog.hwnd(), IDC_POSITION_SN));
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog.hwnd(), IDC_POSITION_SN), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ("10", Text(dialog.hwnd(), IDC_POSITION_STAY));
  EXPECT_EQ("TRUE", Text(dialog.hwnd(), IDC_POSITION_ENABLE));
  SetDlgItemTextW(dialog.hwnd(), IDC_POSITION_LOCATION, L"정문");
  SetDlgItemTextW(dialog.hwnd(), IDC_POSITION_STAY, L"999");
  SendDlgItemMessageW(dialog.hwnd(), IDC_POSITION_ENABLE, CB_SETCURSEL, 1, 0);
  Click(dialog.hwnd(), IDOK);
  EXPECT_EQ(IDOK, dialog.result());
  EXPECT_EQ("정문", dialog.fields().location);
  EXPECT_EQ(255, dialog.fields().stay) << "stay is one byte";
  EXPECT_FALSE(dialog.fields().enabled);
}

}  // namespace
}  // namespace dialogs
