// The viewer's dialogs in-process under Wine: the real templates, driven
// with messages from inside their modal loops, read back through their
// controls, the registry and the recorded message boxes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "dialogs/tests/win32_test_support.h"
#include "dialogs/win32/dialog_ids.h"
#include "dialogs/win32/login_dialog.h"
#include "dialogs/win32/network_sheet.h"
#include "dialogs/win32/server_info_dialog.h"
#include "os/win32/list_view.h"
#include "settings/win32/registry_key.h"
#include "settings/win32/viewer_registry.h"

namespace dialogs {
namespace {

using namespace dialogs::testing;

std::string DistFolder() {
  const char* dir = std::getenv("HALYARD_BINARY_DIR");
  return std::string(dir ? dir : HALYARD_BINARY_DIR_FALLBACK) + "/dist/Halyard";
}

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void SetUp() override { ASSERT_TRUE(sandbox_.registry.active()); }
  HINSTANCE instance() const { return GetModuleHandleW(nullptr); }

  ShellSandbox sandbox_;
};

// ---- LoginDialog ----------------------------------------------------------

class LoginDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    main_ = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 100, 100, 260, 400, nullptr, nullptr, instance(), nullptr);
  }
  void TearDown() override { DestroyWindow(main_); }

  // Opens the login dialog for `entry`, runs `act` on it, returns DoModal's result.
  INT_PTR Login(const std::string& entry, const std::function<void(HWND)>& act) {
    settings::ServerRecord record{entry, "127.0.0.1", 8000, settings::kHostServerType, false, ""};
    LoginDialog dialog(instance(), record, main_, DistFolder());
    ModalDriver driver;
    driver.Then(act);
    const INT_PTR result = dialog.DoModal(main_);
    EXPECT_TRUE(driver.done()) << "the dialog never appeared";
    last_password_ = dialog.password();
    return result;
  }
  static void Fill(HWND dlg, const std::string& id, const std::string& password, bool save) {
    SetText(GetDlgItem(dlg, IDC_EDIT_ID), id);
    SetText(GetDlgItem(dlg, IDC_EDIT_PASSWD), password);
    CheckDlgButton(dlg, IDC_CHECK_SAVEIDPW, save ? BST_CHECKED : BST_UNCHECKED);
  }

  HWND main_ = nullptr;
  std::string last_password_;
};

// The save box shows whether a login is kept for the entry: left ticked it
// keeps what OK sends, unticked it forgets the entry's login.
TEST_F(LoginDialogTest, EachEntryKeepsItsOwnSavedLoginUntilTheSaveBoxIsUnticked) {
  EXPECT_EQ(Login("Server A", [](HWND d) { Fill(d, "alice", "pw-a", true), Click(d, IDOK); }), IDOK);
  EXPECT_EQ(Login("Server B", [](HWND d) { Fill(d, "bob", "pw-b", true), Click(d, IDOK); }), IDOK);
  std::string shown_id, shown_password;
  bool save_box = false;
  auto read_then = [&](const char* id, const char* password, bool save) {
    return [&, id, password, save](HWND d) {
      shown_id = WindowText(GetDlgItem(d, IDC_EDIT_ID));
      shown_password = WindowText(GetDlgItem(d, IDC_EDIT_PASSWD));
      save_box = IsDlgButtonChecked(d, IDC_CHECK_SAVEIDPW) == BST_CHECKED;
      Fill(d, id, password, save);
      Click(d, IDOK);
    };
  };
  EXPECT_EQ(Login("Server A", read_then("carol", "other", true)), IDOK);
  EXPECT_EQ(shown_id, "alice");
  EXPECT_EQ(shown_password, "pw-a");
  EXPECT_TRUE(save_box) << "ticked: a login is kept for this entry";
  EXPECT_EQ(Login("Server A", read_then("carol", "other", false)), IDOK);
  EXPECT_EQ(shown_id, "carol") << "the kept login follows what OK sent";
  EXPECT_EQ(last_password_, "other") << "the entered values go on, saved or not";
  EXPECT_EQ(Login("Server A", read_then("x", "y", false)), IDOK);
  EXPECT_EQ(shown_id, "") << "unticked, the login was forgotten";
  EXPECT_FALSE(save_box) << "nothing kept: unticked";
  EXPECT_EQ(Login("Server B", read_then("x", "y", true)), IDOK);
  EXPECT_EQ(shown_id, "bob") << "the other entry's login stays";
  EXPECT_EQ(shown_password, "pw-b");
}

TEST_F(LoginDialogTest, AnEmptyIdOrPasswordKeepsTheDialogOpenWithItsMessageAndXCancels) {
  std::vector<std::string> seen;
  bool open_after_each = true;
  const INT_PTR result = Login("Server A", [&](HWND d) {
    for (const char* id : {"", "alice"}) {
      Fill(d, id, *id ? "" : "pw", false);
      Click(d, IDOK);
      seen.push_back(sandbox_.messages.last());
      open_after_each = open_after_each && IsWindowVisible(d);
    }
    Click(d, IDC_BUTTON_X);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(seen, (std::vector<std::string>{"Please Input your ID", "Please Input your Password"}));
  EXPECT_TRUE(open_after_each);
}

// Where it goes is tested without windows; here the screen and the main
// window reach that rule: no room on the right, so left of the main window.
// Then a drag on the body moves it with the pointer.
TEST_F(LoginDialogTest, OpensLeftOfTheMainWindowWithoutRoomOnTheRightAndMovesWithADrag) {
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  SetWindowPos(main_, nullptr, screen - 300, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT at{}, dragged{};
  Login("Server A", [&](HWND d) {
    at = WindowRect(d);
    SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(d, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 60));
    SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(50, 60));
    dragged = WindowRect(d);
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(at.right, screen - 300);
  EXPECT_EQ(at.top, 120);
  EXPECT_EQ(dragged.left - at.left, 30);
  EXPECT_EQ(dragged.top - at.top, 40);
}

// ---- ServerInfoDialog -----------------------------------------------------

class ServerInfoTest : public DialogTest {
 protected:
  INT_PTR Run(ServerInfoDialog::Mode mode, const settings::ServerRecord& record, const std::function<void(HWND)>& act) {
    ServerInfoDialog dialog(instance(), mode, record, [](const std::string& n) { return n == "Taken"; });
    ModalDriver driver;
    driver.Then(act);
    const INT_PTR result = dialog.DoModal(nullptr);
    EXPECT_TRUE(driver.done()) << "the dialog never appeared";
    result_ = dialog.record();
    return result;
  }
  static std::string Port(HWND d) { return WindowText(GetDlgItem(d, IDC_SERVER_PORT)); }
  static std::string Label(HWND d, int id) { return WindowText(GetDlgItem(d, id)); }

  settings::ServerRecord result_;
};

settings::ServerRecord NewEntry(const char* type) { return {"", "", 8000, type, false, ""}; }

// The rule of the ports is tested without windows; here the type list and the
// DDNS box reach it, and the DDNS box relabels the fields and shows the MAC.
TEST_F(ServerInfoTest, TheTypeAndTheDdnsBoxSetThePortLabelsAndFields) {
  std::vector<std::string> ports, ip_labels;
  bool ddns_for_hosting = true, ddns_for_camera = false, mac_without = true, mac_with = false;
  Run(ServerInfoDialog::Mode::kRegister, NewEntry(settings::kHostServerType), [&](HWND d) {
    EXPECT_EQ(SendDlgItemMessageW(d, IDC_SERVER_TYPE, CB_GETCURSEL, 0, 0), 0);
    ddns_for_hosting = IsWindowEnabled(GetDlgItem(d, IDC_USE_DDNS));
    ports.push_back(Port(d));
    Choose(d, IDC_SERVER_TYPE, 1);
    ddns_for_camera = IsWindowEnabled(GetDlgItem(d, IDC_USE_DDNS));
    ports.push_back(Port(d));
    ip_labels.push_back(Label(d, IDC_LABEL_SERVER_IP));
    mac_without = IsWindowVisible(GetDlgItem(d, IDC_SERVER_MAC));
    Toggle(d, IDC_USE_DDNS);
    ports.push_back(Port(d));
    ip_labels.push_back(Label(d, IDC_LABEL_SERVER_IP) + "|" + Label(d, IDC_LABEL_SERVER_PORT));
    mac_with = IsWindowVisible(GetDlgItem(d, IDC_SERVER_MAC));
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(ports, (std::vector<std::string>{"8000", "20002", "8001"}));
  EXPECT_EQ(ip_labels, (std::vector<std::string>{"Server IP :", "DDNS IP :|DDNS Port :"}));
  EXPECT_FALSE(ddns_for_hosting);
  EXPECT_TRUE(ddns_for_camera);
  EXPECT_FALSE(mac_without);
  EXPECT_TRUE(mac_with);
}

TEST_F(ServerInfoTest, AnExistingEntryKeepsItsPortAndShowsItsLastDynamicAddress) {
  {
    settings::RegistryKey key;
    ASSERT_TRUE(key.OpenOrCreate(HKEY_CURRENT_USER, settings::ServerKeyPath("Gate")));
    key.SetString(settings::reg::kDynamicIp, "127.9.8.7");
  }
  const settings::ServerRecord gate{"Gate", "127.0.0.1", 1234, settings::kCameraServerType, false, ""};
  std::string dynamic_with, dynamic_without;
  Run(ServerInfoDialog::Mode::kModify, gate, [&](HWND d) {
    EXPECT_EQ(Port(d), "1234");
    DWORD address = 0;
    EXPECT_EQ(SendDlgItemMessageW(d, IDC_SERVER_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)), 4);
    EXPECT_EQ(address, static_cast<DWORD>(MAKEIPADDRESS(127, 0, 0, 1)));
    Toggle(d, IDC_USE_DDNS);
    EXPECT_EQ(Port(d), "1234");
    dynamic_with = WindowText(GetDlgItem(d, IDC_DYNAMIC_IP));
    Toggle(d, IDC_USE_DDNS);
    dynamic_without = WindowText(GetDlgItem(d, IDC_DYNAMIC_IP));
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(dynamic_with, "127.9.8.7");
  EXPECT_EQ(dynamic_without, "");
}

// The order of the checks is tested without windows; here each field the
// checks read is wired once, and the record is built from the fields.
TEST_F(ServerInfoTest, OkShowsTheFirstFailedCheckAndBuildsTheRecord) {
  std::vector<std::string> seen;
  const INT_PTR result = Run(ServerInfoDialog::Mode::kRegister, NewEntry(settings::kCameraServerType), [&](HWND d) {
    auto ok = [&] {
      Click(d, IDOK);
      seen.push_back(sandbox_.messages.last());
    };
    ok();
    SetText(GetDlgItem(d, IDC_SERVER_NAME), "Gate");
    ok();
    SendDlgItemMessageW(d, IDC_SERVER_IP, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 2, 3));
    Toggle(d, IDC_USE_DDNS);
    ok();
    SetText(GetDlgItem(d, IDC_SERVER_MAC), "00:11:22:33:44:55");
    Click(d, IDOK);
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"Please Insert Server Name", "Insert Server IP",
                                            "Error : Insert Camera MAC Address"}));
  ASSERT_EQ(result, IDOK);
  const settings::ServerRecord want{"Gate", "10.1.2.3", 8001, settings::kCameraServerType, true, "00:11:22:33:44:55"};
  EXPECT_EQ(result_, want);
}

// Modify giving an entry another's name made the list overwrite that entry.
TEST_F(ServerInfoTest, ModifyRefusesAnotherEntrysNameButKeepsItsOwn) {
  const settings::ServerRecord gate{"Gate", "127.0.0.1", 20002, settings::kCameraServerType, false, ""};
  int limit = 0;
  const INT_PTR result = Run(ServerInfoDialog::Mode::kModify, gate, [&](HWND d) {
    limit = static_cast<int>(SendDlgItemMessageW(d, IDC_SERVER_NAME, EM_GETLIMITTEXT, 0, 0));
    SetText(GetDlgItem(d, IDC_SERVER_NAME), "Taken");
    Click(d, IDOK);
    SetText(GetDlgItem(d, IDC_SERVER_NAME), "GATE");
    Click(d, IDOK);
  });
  EXPECT_EQ(sandbox_.messages.shown(), (std::vector<std::string>{"Server Name is not Unique"}));
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(result_.name, "GATE") << "another case of its own name";
  EXPECT_EQ(limit, 255) << "the most a registry key's name holds";
}

// ---- The option sheet -----------------------------------------------------

class OptionSheetTest : public DialogTest {
 protected:
  void Open(StoragePageData* storage = nullptr) {
    sheet_ = std::make_unique<CNetworkSheet>(instance(), nullptr, proxy_, storage);
    ASSERT_NE(sheet_->CreateModeless(nullptr), nullptr);
    PumpFor(20);
    sheet_->SetActive(1);
    page_ = sheet_->network_page().hwnd();
    ASSERT_NE(page_, nullptr);
  }
  void PressOk() {
    PropSheet_PressButton(sheet_->hwnd(), PSBTN_OK);
    PumpFor(20);
  }
  void TearDown() override {
    if (sheet_) sheet_->Destroy();
  }
  bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(page_, id)) != FALSE; }
  std::string Text(int id) const { return WindowText(GetDlgItem(page_, id)); }

  net::ProxySettings proxy_;
  std::unique_ptr<CNetworkSheet> sheet_;
  HWND page_ = nullptr;
};

// Which fields a kind enables and its port are rules tested without windows
// (ProxyRules); here the list and the use box reach them once.
TEST_F(OptionSheetTest, TheNetworkPageShowsTheProxyAndTheKindSetsItsPortAndFields) {
  proxy_ = settings::ToProxySettings({true, 5, "10.0.0.1", 1081, "agent", "pw"});
  Open();
  EXPECT_EQ(IsDlgButtonChecked(page_, IDC_USE_PROXY), BST_CHECKED);
  EXPECT_EQ(Text(IDC_PROXY_VERSION), "Socks Version 5");
  EXPECT_EQ(Text(IDC_PROXY_IP), "10.0.0.1");
  EXPECT_EQ(Text(IDC_PROXY_PORT), "1081");
  EXPECT_EQ(Text(IDC_PROXY_ID), "agent");
  EXPECT_EQ(Text(IDC_PROXY_PASSWD), "pw");
  EXPECT_TRUE(Enabled(IDC_PROXY_PASSWD));
  Choose(page_, IDC_PROXY_VERSION, 2);
  EXPECT_EQ(Text(IDC_PROXY_PORT), "80");
  EXPECT_FALSE(Enabled(IDC_PROXY_ID));
  Toggle(page_, IDC_USE_PROXY);
  EXPECT_FALSE(Enabled(IDC_PROXY_VERSION));
}

TEST_F(OptionSheetTest, WithTheProxyOffAnyAddressIsStoredAsTyped) {
  proxy_ = settings::ToProxySettings({true, 4, "10.0.0.1", 1080, "", ""});
  Open();
  Toggle(page_, IDC_USE_PROXY);
  SetText(GetDlgItem(page_, IDC_PROXY_IP), "not an address");
  PressOk();
  EXPECT_TRUE(sheet_->Closed());
  EXPECT_TRUE(sandbox_.messages.shown().empty());
  const settings::ProxyFields stored = settings::LoadProxyFields();
  EXPECT_FALSE(stored.use_proxy);
  EXPECT_EQ(stored.ip, "not an address");
  EXPECT_EQ(proxy_.use_proxy, 0);
}

// The storage page shows the root's last pass and hands back only limits
// that can be kept; a wrong field keeps the sheet open on it.
TEST_F(OptionSheetTest, TheStoragePageShowsTheRootsUseAndTakesOnlyLimitsThatCanBeKept) {
  StoragePageData storage;
  storage.root = "C:\\Footage";
  storage.limits.days = 30;
  storage.report.scanned = true;
  storage.report.files = 2;
  storage.report.recorded_bytes = 5ull << 20;
  storage.report.cameras.push_back({"GATE", 5ull << 20, 2, 0, 0});
  Open(&storage);
  ASSERT_NE(sheet_->storage_page(), nullptr);
  sheet_->SetActive(2);
  page_ = sheet_->storage_page()->hwnd();
  ASSERT_NE(page_, nullptr);
  EXPECT_EQ(Text(IDC_STORAGE_ROOT), "C:\\Footage");
  EXPECT_EQ(Text(IDC_STORAGE_DAYS), "30");
  EXPECT_EQ(Text(IDC_STORAGE_SUMMARY), "2 recordings, 5.0 MB.");
  EXPECT_EQ(win32::ListView(GetDlgItem(page_, IDC_STORAGE_USAGE)).Text(0, 1), "5.0 MB");

  SetText(GetDlgItem(page_, IDC_STORAGE_MAX_GB), "lots");
  PressOk();
  EXPECT_EQ(sandbox_.messages.last(), "Sizes are given in GB, such as 20 or 0.5.");
  EXPECT_FALSE(sheet_->Closed());
  EXPECT_FALSE(storage.changed);
  SetText(GetDlgItem(page_, IDC_STORAGE_MAX_GB), "0.5");
  SetText(GetDlgItem(page_, IDC_STORAGE_MIN_FREE_GB), "2");
  PressOk();
  ASSERT_TRUE(sheet_->Closed()) << sandbox_.messages.last();
  EXPECT_TRUE(storage.changed);
  EXPECT_EQ(storage.limits.max_bytes, 1ull << 29);
  EXPECT_EQ(storage.limits.min_free_bytes, 2ull << 30);
  EXPECT_EQ(storage.limits.days, 30);
}

TEST_F(OptionSheetTest, OkStoresEveryValueAndHandsThemToTheClient) {
  proxy_ = settings::ToProxySettings({false, 4, "10.0.0.1", 1080, "", ""});
  Open();
  Toggle(page_, IDC_USE_PROXY);
  Choose(page_, IDC_PROXY_VERSION, 1);
  SetText(GetDlgItem(page_, IDC_PROXY_IP), "127.0.0.2");
  SetText(GetDlgItem(page_, IDC_PROXY_PORT), "1090");
  SetText(GetDlgItem(page_, IDC_PROXY_ID), "agent");
  PressOk();
  EXPECT_EQ(sandbox_.messages.last(), "Please insert Proxy Password...");
  EXPECT_FALSE(sheet_->Closed()) << "the sheet stays for the correction";
  EXPECT_FALSE(settings::LoadProxyFields().use_proxy) << "nothing is stored before it";
  SetText(GetDlgItem(page_, IDC_PROXY_ID), "");
  PressOk();
  ASSERT_TRUE(sheet_->Closed()) << sandbox_.messages.last();
  EXPECT_EQ(proxy_.use_proxy, 1);
  EXPECT_EQ(proxy_.version, 5);
  EXPECT_EQ(proxy_.AddressHostOrder(), 0x7F000002u);
  EXPECT_EQ(proxy_.port, 1090);
  const settings::ProxyFields stored = settings::LoadProxyFields();
  EXPECT_TRUE(stored.use_proxy);
  EXPECT_EQ(stored.version, 5);
  EXPECT_EQ(stored.ip, "127.0.0.2");
  EXPECT_EQ(stored.port, 1090);
}

// A first run keeps reconnecting and draws through DirectDraw; OK stores
// what the boxes say.
TEST_F(OptionSheetTest, TheViewerPageStoresItsBoxesOnOk) {
  EXPECT_TRUE(settings::LoadKeepReconnecting());
  EXPECT_FALSE(settings::LoadDrawThroughGdi());
  Open();
  sheet_->SetActive(0);
  HWND viewer = sheet_->viewer_page().hwnd();
  EXPECT_TRUE(sheet_->viewer_page().opened());
  EXPECT_EQ(IsDlgButtonChecked(viewer, IDC_SHOW_BACKGROUND), BST_UNCHECKED) << "the main window has no parent";
  EXPECT_EQ(IsDlgButtonChecked(viewer, IDC_KEEP_RECONNECTING), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(viewer, IDC_DRAW_THROUGH_GDI), BST_UNCHECKED);
  for (int id : {IDC_SHOW_BACKGROUND, IDC_KEEP_RECONNECTING, IDC_DRAW_THROUGH_GDI}) Toggle(viewer, id);
  PressOk();
  settings::RegistryKey key;
  uint32_t value = 0;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, settings::kRegistryKeyPath));
  EXPECT_TRUE(key.QueryDword(settings::reg::kShowBackground, value));
  EXPECT_EQ(value, 1u);
  EXPECT_FALSE(settings::LoadKeepReconnecting());
  EXPECT_FALSE(sheet_->viewer_page().keep_reconnecting());
  EXPECT_TRUE(settings::LoadDrawThroughGdi());
  EXPECT_TRUE(sheet_->viewer_page().draw_through_gdi());
}

}  // namespace
}  // namespace dialogs
