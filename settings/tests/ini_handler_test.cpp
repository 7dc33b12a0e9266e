// IniHandler over the real private-profile functions: defaults without a
// file, the value conversions, Unicode files, long sections, the font and the
// refusal before Initialise. Message boxes are captured, never shown.
#include "settings/win32/ini_handler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "os/win32/tests/win32_test_rig.h"
#include "settings/tests/settings_files.h"
#include "settings/win32/device_catalogue.h"
#include "settings/win32/profile_section.h"

namespace settings {
namespace {

using testing::TempFolder;

class RecordingPresenter : public MessagePresenter {
 public:
  void Present(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

class IniHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = ini().SetPresenter(&boxes_); }
  void TearDown() override {
    ini().Shutdown();
    ini().SetPresenter(previous_);
  }
  static IniHandler& ini() { return IniHandler::Instance(); }
  LOGFONTW FontDescription() {
    LOGFONTW lf{};
    EXPECT_NE(ini().Font(), nullptr);
    EXPECT_EQ(GetObjectW(ini().Font(), sizeof lf, &lf), static_cast<int>(sizeof lf));
    return lf;
  }

  TempFolder folder_;
  RecordingPresenter boxes_;
  MessagePresenter* previous_ = nullptr;
};

TEST_F(IniHandlerTest, WithoutASettingsFileEveryDefaultApplies) {
  ini().Initialise(folder_.File("Halyard.ini"));
  for (const TextId& id : AllTexts()) {
    EXPECT_EQ(ini().GetString(id), id.default_text) << id.section << "/" << id.key;
    EXPECT_EQ(ini().GetText(id), id.default_text) << id.section << "/" << id.key;
  }
  EXPECT_EQ(ini().GetInt("VENDOR_X", "DEVICE", -1), -1);
  EXPECT_TRUE(ini().GetBool("S", "K", true));
  EXPECT_FALSE(ini().GetBool("S", "K", false));
  EXPECT_TRUE(ReadPanTiltCatalogue(ini()).empty());

  LOGFONTW lf = FontDescription();
  EXPECT_EQ(lf.lfHeight, 12);
  EXPECT_EQ(win32::Narrow(lf.lfFaceName), "MS Sans Serif");
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(IniHandlerTest, ValuesAreConvertedAsEachLookupSays) {
  std::string path = folder_.File("Halyard.ini");
  testing::WriteAnsiFile(path,
                         "[LABELS]\r\n"
                         "TWO_LINES=first\\r\\nsecond\r\n"
                         "[FLAGS]\r\nC=tRUE\r\nD=1\r\n"
                         "[NUMBERS]\r\nTRAILING=17abc\r\n"
                         "[ERROR_MESSAGE]\r\nERROR_HOSTSERVER_ALREADYCONNECTED=Already there\r\n"
                         "[LONG]\r\nK=" + std::string(600, 'x') + "\r\n");
  ini().Initialise(path);
  EXPECT_EQ(ini().GetString("LABELS", "TWO_LINES", ""), "first\\r\\nsecond");
  EXPECT_EQ(ini().GetText("LABELS", "TWO_LINES", ""), "first\r\nsecond");
  // The conversions' rules are the portable ones (settings_text_test).
  EXPECT_TRUE(ini().GetBool("FLAGS", "C", false));
  EXPECT_FALSE(ini().GetBool("FLAGS", "D", true));
  EXPECT_EQ(ini().GetInt("NUMBERS", "TRAILING", -1), 17);
  EXPECT_EQ(ini().GetInt("NUMBERS", "ABSENT", -1), -1);
  // The key's trailing space does not keep it from matching the file.
  EXPECT_EQ(ini().GetString(text::kErrorHostAlreadyConnected), "Already there");
  EXPECT_EQ(ini().GetString("LONG", "K", ""), std::string(511, 'x')) << "long values are cut at 511 characters";

  // ShowMessage reads as GetText does and formats safely.
  ini().ShowMessage("LABELS", "TWO_LINES", "");
  ini().ShowMessage(text::kTreeErrorGroupAlreadyExist, {std::string("Office")});
  ini().ShowMessage(text::kTreeErrorGroupAlreadyExist, {7LL});
  EXPECT_EQ(boxes_.shown, (std::vector<std::string>{"first\r\nsecond", "Office already Exist", "%s already Exist"}));
}

TEST_F(IniHandlerTest, BeforeInitialiseEveryCallIsRefusedWithOneBox) {
  const std::string refusal = "Please Initialize INI Handler";
  EXPECT_FALSE(ini().IsInitialised());
  EXPECT_EQ(ini().GetString(text::kMainCaption), "");
  EXPECT_EQ(ini().GetText(text::kMainCaption), "");
  EXPECT_EQ(ini().GetInt("FONT", "HEIGHT", 5), 5);
  EXPECT_TRUE(ini().GetBool("S", "K", true));
  EXPECT_TRUE(ini().GetSectionKeys("VENDOR").empty());
  ini().ShowMessage(text::kErrorLoginFail);
  EXPECT_FALSE(ini().WriteString("S", "K", "V"));
  EXPECT_EQ(ini().Font(), nullptr);
  EXPECT_EQ(boxes_.shown, std::vector<std::string>(7, refusal));
}

TEST_F(IniHandlerTest, WindowsDirectoryFlagPutsTheFileInWindir) {
  wchar_t windir[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"windir", windir, MAX_PATH), 0u);
  ini().Initialise("Halyard.ini", true);
  EXPECT_EQ(ini().Path(), win32::Narrow(windir) + "\\Halyard.ini");
  ini().Initialise("C:\\some\\where.ini");
  EXPECT_EQ(ini().Path(), "C:\\some\\where.ini");
}

// A translator's editor may save the file as UTF-16 or as UTF-8, with a
// byte-order mark or without one: the texts read as written in each.
TEST_F(IniHandlerTest, KoreanTextsReadAsWrittenInEveryEncoding) {
  const std::string text =
      "[DIALOG_LOGIN]\r\nWT=할야드 뷰어\r\n[PRESET]\r\nERROR_OVER_MAXNUM=번호 %d 초과\\r\\n다시 입력\r\n"
      "[VENDOR]\r\n삼성=\r\n[삼성]\r\n회전대=7\r\n";
  const struct {
    const char* name;
    std::function<void(const std::string&)> write;
  } files[] = {
      {"utf16.ini", [&](const std::string& path) { testing::WriteUnicodeFile(path, text); }},
      {"bom.ini", [&](const std::string& path) { testing::WriteAnsiFile(path, "\xEF\xBB\xBF" + text); }},
      {"plain.ini", [&](const std::string& path) { testing::WriteAnsiFile(path, text); }},
  };
  for (const auto& f : files) {
    const std::string path = folder_.File(f.name);
    f.write(path);
    ini().Initialise(path);
    EXPECT_EQ(ini().GetString(text::kMainCaption), "할야드 뷰어") << f.name;
    const std::vector<PanTiltVendor> catalogue = ReadPanTiltCatalogue(ini());
    ASSERT_EQ(catalogue.size(), 1u) << f.name;
    EXPECT_EQ(catalogue[0].name, "삼성");
    ASSERT_EQ(catalogue[0].devices.size(), 1u);
    EXPECT_EQ(catalogue[0].devices[0].name, "회전대");
    EXPECT_EQ(catalogue[0].devices[0].code, 7);
  }
  ini().ShowMessage(text::kPresetErrorOverMaxNum, {255LL});
  EXPECT_EQ(boxes_.shown, std::vector<std::string>{"번호 255 초과\r\n다시 입력"});
}

TEST_F(IniHandlerTest, LongSectionsAreReadWhole) {
  // 300 vendors and 300 devices: each section is far past 2048 characters.
  std::string file = "[VENDOR]\r\n";
  for (int i = 0; i < 300; ++i) file += "Vendor number " + std::to_string(i) + "=1\r\n";
  file += "NoEquals\r\n";
  file += "[Vendor number 7]\r\n";
  for (int i = 0; i < 300; ++i) file += "Pan tilt module " + std::to_string(i) + "=" + std::to_string(1000 + i) + "\r\n";
  std::string path = folder_.File("Halyard.ini");
  testing::WriteAnsiFile(path, file);
  ini().Initialise(path);

  std::vector<std::string> vendors = ini().GetSectionKeys("VENDOR");
  ASSERT_EQ(vendors.size(), 301u);
  for (int i = 0; i < 300; ++i) EXPECT_EQ(vendors[i], "Vendor number " + std::to_string(i));
  EXPECT_EQ(vendors[300], "") << "an entry without '=' gives an empty name";

  std::vector<PanTiltVendor> catalogue = ReadPanTiltCatalogue(ini());
  ASSERT_EQ(catalogue.size(), 301u);
  const PanTiltVendor& seven = catalogue[7];
  ASSERT_EQ(seven.devices.size(), 300u);
  EXPECT_EQ(seven.devices[299].name, "Pan tilt module 299");
  EXPECT_EQ(seven.devices[299].code, 1299);
  EXPECT_TRUE(catalogue[8].devices.empty());
}

TEST_F(IniHandlerTest, FontComesFromTheFontSection) {
  std::string path = folder_.File("Halyard.ini");
  testing::WriteAnsiFile(path,
                         "[FONT]\r\nHEIGHT=20\r\nWEIGHT=700\r\nITALIC=257\r\nCHARSET=129\r\n"
                         "FACENAME=" + std::string(100, 'F') + "\r\n");
  ini().Initialise(path);
  LOGFONTW lf = FontDescription();
  EXPECT_EQ(lf.lfHeight, 20);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1) << "byte parameters keep their low 8 bits";
  EXPECT_EQ(lf.lfCharSet, 129);
  EXPECT_EQ(win32::Narrow(lf.lfFaceName), std::string(LF_FACESIZE - 1, 'F'));
}

TEST_F(IniHandlerTest, WindowsAndTheirControlsTakeTheSharedFont) {
  ini().Initialise(folder_.File("absent.ini"));
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    if (std::getenv("HALYARD_CTEST")) FAIL() << "no display to create windows on";
    GTEST_SKIP() << "no display to create windows on";
  }
  HWND button = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD, 0, 0, 50, 20, window, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 20, button, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(button && inner);
  ini().ApplyFont(window);
  HFONT font = ini().Font();
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), font);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(inner, WM_GETFONT, 0, 0)), font);
  DestroyWindow(window);
}

TEST_F(IniHandlerTest, WithoutAPresenterARealMessageBoxShowsTheText) {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!probe) {
    if (std::getenv("HALYARD_CTEST")) FAIL() << "no display to show message boxes on";
    GTEST_SKIP() << "no display to show message boxes on";
  }
  DestroyWindow(probe);
  ini().SetPresenter(nullptr);
  ini().Initialise(folder_.File("absent.ini"));

  // The box is modal: the driver reads it and presses OK from inside its loop.
  std::string caption, seen;
  win32::testing::ModalDriver driver;
  driver.Then([&](HWND box) {
    caption = win32::testing::WindowText(box);
    seen = win32::testing::WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  ini().ShowMessage(text::kPresetErrorOverMaxNum, {3LL});
  EXPECT_EQ(caption, "Halyard");
  EXPECT_EQ(seen, "최대 번호 ( 3 )를 넘었습니다. \r\n다시 입력하여 주십시오");
}

TEST_F(IniHandlerTest, WritesToANewFileKeepUnicodeText) {
  std::string path = folder_.File("written.ini");
  ini().Initialise(path);
  EXPECT_TRUE(ini().WriteString("DIALOG_LOGIN", "WT", "한글 제목"));
  EXPECT_TRUE(ini().WriteInt("FONT", "HEIGHT", 15));
  EXPECT_TRUE(ini().WriteBool("FLAGS", "ON", true));
  EXPECT_TRUE(ini().WriteBool("FLAGS", "OFF", false));
  EXPECT_EQ(testing::ReadBytes(path).substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(ini().GetString("DIALOG_LOGIN", "WT", ""), "한글 제목");
  EXPECT_EQ(ini().GetInt("FONT", "HEIGHT", 0), 15);
  EXPECT_EQ(ini().GetString("FLAGS", "OFF", ""), "FALSE");
  EXPECT_TRUE(ini().GetBool("FLAGS", "ON", false));
  EXPECT_FALSE(ini().GetBool("FLAGS", "OFF", true));
}

}  // namespace
}  // namespace settings
