// IniHandler over the real private-profile functions: defaults without a
// file, the value conversions, Unicode files, long sections, the font and the
// refusal before Initialise. Message boxes are captured, never shown.
#include "settings/win32/ini_handler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

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

// EnumThreadWindows callback: stores the first dialog-box window.
BOOL CALLBACK FindDialogBox(HWND window, LPARAM found) {
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (std::wstring(cls) != L"#32770") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

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
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfCharSet, 1);
  EXPECT_EQ(lf.lfPitchAndFamily, 32);
  EXPECT_EQ(win32::Narrow(lf.lfFaceName), "MS Sans Serif");
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(IniHandlerTest, ValuesAreConvertedAsEachLookupSays) {
  std::string path = folder_.File("Halyard.ini");
  testing::WriteAnsiFile(path,
                         "[LABELS]\r\n"
                         "TWO_LINES=first\\r\\nsecond\r\n"
                         "[FLAGS]\r\nA=true\r\nB=True\r\nC=tRUE\r\nD=1\r\nE=yes\r\nF=FALSE\r\n"
                         "[NUMBERS]\r\nPLAIN=42\r\nTRAILING=17abc\r\nNONE=abc\r\n"
                         "[ERROR_MESSAGE]\r\nERROR_HOSTSERVER_ALREADYCONNECTED=Already there\r\n");
  ini().Initialise(path);
  EXPECT_EQ(ini().GetString("LABELS", "TWO_LINES", ""), "first\\r\\nsecond");
  EXPECT_EQ(ini().GetText("LABELS", "TWO_LINES", ""), "first\r\nsecond");
  for (const char* key : {"A", "B", "C"}) EXPECT_TRUE(ini().GetBool("FLAGS", key, false)) << key;
  for (const char* key : {"D", "E", "F"}) EXPECT_FALSE(ini().GetBool("FLAGS", key, true)) << key;
  EXPECT_EQ(ini().GetInt("NUMBERS", "PLAIN", -1), 42);
  EXPECT_EQ(ini().GetInt("NUMBERS", "TRAILING", -1), 17);
  EXPECT_EQ(ini().GetInt("NUMBERS", "NONE", -1), 0);
  EXPECT_EQ(ini().GetInt("NUMBERS", "ABSENT", -1), -1);
  // The key's trailing space does not keep it from matching the file.
  EXPECT_EQ(ini().GetString(text::kErrorHostAlreadyConnected), "Already there");

  // ShowMessage reads as GetText does and formats safely.
  ini().ShowMessage("LABELS", "TWO_LINES", "");
  ini().ShowMessage(text::kTreeErrorGroupAlreadyExist, {std::string("Office")});
  ini().ShowMessage(text::kTreeErrorGroupAlreadyExist, {7LL});
  EXPECT_EQ(boxes_.shown, (std::vector<std::string>{"first\r\nsecond", "Office already Exist", "%s already Exist"}));
}

TEST_F(IniHandlerTest, LongValuesAreCutAt511Characters) {
  std::string path = folder_.File("Halyard.ini");
  testing::WriteAnsiFile(path, "[S]\r\nK=" + std::string(600, 'x') + "\r\n");
  ini().Initialise(path);
  EXPECT_EQ(ini().GetString("S", "K", ""), std::string(511, 'x'));
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

TEST_F(IniHandlerTest, KoreanTextsOfAUnicodeFileComeBackIntact) {
  std::string path = folder_.File("Halyard.ini");
  testing::WriteUnicodeFile(path,
                            "[DIALOG_LOGIN]\r\nWT=할야드 뷰어\r\n"
                            "[PRESET]\r\nERROR_OVER_MAXNUM=번호 %d 초과\\r\\n다시 입력\r\n"
                            "[VENDOR]\r\n삼성=\r\n"
                            "[삼성]\r\n회전대=7\r\n");
  ini().Initialise(path);
  EXPECT_EQ(ini().GetString(text::kMainCaption), "할야드 뷰어");
  ini().ShowMessage(text::kPresetErrorOverMaxNum, {255LL});
  EXPECT_EQ(boxes_.shown, std::vector<std::string>{"번호 255 초과\r\n다시 입력"});
  std::vector<PanTiltVendor> catalogue = ReadPanTiltCatalogue(ini());
  ASSERT_EQ(catalogue.size(), 1u);
  EXPECT_EQ(catalogue[0].name, "삼성");
  ASSERT_EQ(catalogue[0].devices.size(), 1u);
  EXPECT_EQ(catalogue[0].devices[0].name, "회전대");
  EXPECT_EQ(catalogue[0].devices[0].code, 7);
}

// A translator's editor may save the file as UTF-8, with a byte-order mark
// or without one: the texts read as written, as they do from UTF-16.
TEST_F(IniHandlerTest, ATranslationSavedAsUtf8ReadsAsWritten) {
  const std::string text = "[DIALOG_LOGIN]\r\nWT=할야드 뷰어\r\n[VENDOR]\r\n삼성=\r\n[삼성]\r\n회전대=7\r\n";
  for (const std::string& bom : {std::string("\xEF\xBB\xBF"), std::string()}) {
    std::string path = folder_.File(bom.empty() ? "plain.ini" : "bom.ini");
    testing::WriteAnsiFile(path, bom + text);
    ini().Initialise(path);
    EXPECT_EQ(ini().GetString(text::kMainCaption), "할야드 뷰어") << (bom.empty() ? "without" : "with") << " a mark";
    const std::vector<PanTiltVendor> catalogue = ReadPanTiltCatalogue(ini());
    ASSERT_EQ(catalogue.size(), 1u);
    EXPECT_EQ(catalogue[0].name, "삼성");
    ASSERT_EQ(catalogue[0].devices.size(), 1u);
    EXPECT_EQ(catalogue[0].devices[0].code, 7);
  }
  EXPECT_TRUE(boxes_.shown.empty());
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

TEST_F(IniHandlerTest, ServerListSectionsAreReadWholeWithTheirValues) {
  // A server list of 200 groups in a Unicode file: about 6000 characters in
  // one section. No IniHandler needed; the server list has a file of its own.
  std::string file = "[GROUP_LIST]\r\n";
  for (int i = 0; i < 200; ++i) file += "그룹 " + std::to_string(i) + "=그룹 " + std::to_string(i) + "\r\n";
  std::string path = folder_.File("ServerList.ini");
  testing::WriteUnicodeFile(path, file);
  std::vector<SectionEntry> groups = ReadSectionEntries(path, "GROUP_LIST");
  ASSERT_EQ(groups.size(), 200u);
  EXPECT_EQ(groups[0].value, "그룹 0");
  EXPECT_EQ(groups[199].name, "그룹 199");
  EXPECT_EQ(groups[199].value, "그룹 199");
  EXPECT_TRUE(ReadSectionEntries(path, "ABSENT").empty());
  EXPECT_TRUE(ReadSectionEntries(folder_.File("absent.ini"), "GROUP_LIST").empty());
  EXPECT_TRUE(boxes_.shown.empty());
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

  // A watcher reads the box's text and presses OK; the box is modal. It
  // looks only at this thread's windows: other test processes share Wine.
  std::atomic<bool> done{false};
  std::wstring seen;
  DWORD ui_thread = GetCurrentThreadId();
  std::thread watcher([&] {
    for (int i = 0; i < 1500 && !done; ++i) {
      HWND box = nullptr;
      EnumThreadWindows(ui_thread, FindDialogBox, reinterpret_cast<LPARAM>(&box));
      if (box) {
        wchar_t caption[64] = {};
        GetWindowTextW(box, caption, 64);
        EXPECT_EQ(std::wstring(caption), L"Halyard");
        wchar_t text[256] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        seen = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  });
  ini().ShowMessage(text::kPresetErrorOverMaxNum, {3LL});
  done = true;
  watcher.join();
  EXPECT_EQ(win32::Narrow(seen), "최대 번호 ( 3 )를 넘었습니다. \r\n다시 입력하여 주십시오");
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
