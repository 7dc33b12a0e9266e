// Bollard's windows in-process: the real dialogs from the real resources,
// driven with messages, read back through their controls; message boxes are
// captured through the message seam. With BOLLARD_SHOT_DIR set, each window is
// also saved as a bitmap for a look by eye (see shots.sh). Windows stay hidden
// otherwise: without a window manager Wine waits two seconds for each shown
// window to be withdrawn when it is destroyed.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "config_tool/shell/config_manager_dlg.h"
#include "config_tool/shell/device_list_dlg.h"
#include "config_tool/shell/login_dlg.h"
#include "config_tool/shell/resource.h"
#include "config_tool/shell/user_info_dlg.h"
#include "config_tool/tests/scratch_dir.h"
#include "os/clock.h"
#include "os/win32/handles.h"
#include "os/win32/tests/win32_test_rig.h"
#include "os/win32/text.h"
#include "tools/bollard-device/sim_device.h"
#include "config_tool/tests/recording_sink.h"

namespace bollard {
namespace {


using win32::testing::Click;
using win32::testing::ModalDriver;
using win32::testing::PumpFor;
using win32::testing::PumpUntil;
using win32::testing::WindowText;

// Saves what the screen shows of `hwnd` as a 24-bit BMP into BOLLARD_SHOT_DIR.
void Shot(HWND hwnd, const char* name) {
  if (const char* dir = std::getenv("BOLLARD_SHOT_DIR")) win32::testing::SaveWindowShot(hwnd, dir, name);
}

constexpr uint32_t kLoopback = 0x7F000001;

InterfaceEntry StaticEntry() {
  InterfaceEntry e;
  e.device = "eth0";
  e.on_boot = "yes";
  e.boot_proto = "static";
  e.ip = 0x7F000001;
  e.netmask = 0xFF000000;
  e.gateway = 0x7F0000FE;
  const char* mac[6] = {"00", "1A", "2B", "3C", "4D", "5E"};
  for (int i = 0; i < 6; ++i) e.mac[i] = mac[i];
  e.host_name = "simcam";
  e.address = "127.0.0.1";
  return e;
}

class BollardWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                          ICC_INTERNET_CLASSES | ICC_TAB_CLASSES |
                                                          ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
  }

  void SetUp() override { StartDevice({}); }

  void StartDevice(const bollard_sim::SimConfig& config) {
    device_.Stop();
    ASSERT_EQ(0, device_.Start(config));
    context_.instance = GetModuleHandleW(nullptr);
    context_.sink = &sink_;
    context_.trace = nullptr;
    LinkOptions& o = context_.options.link;
    o.discovery_ip = kLoopback;
    o.discovery_port = device_.discovery_port();
    o.device_port = device_.device_port();
    o.local_port = 0;
    o.wait_ms = 300;
    o.login_delay_ms = 0;
    o.apply_bound_ms = 2000;
    context_.options.file_dir = scratch_.path();
  }

  template <typename F>
  void Change(F f) {
    device_.Update([](bollard_sim::SimConfig& c, void* p) { (*static_cast<F*>(p))(c); }, &f);
  }

  bollard_sim::SimDevice device_;
  RecordingSink sink_;
  BollardContext context_;
  ScratchDir scratch_{"bollard-windows"};
};

TEST_F(BollardWindows, DeviceListDiscoversOnOpenAndShowsColumnTexts) {
  CDeviceListDlg dlg(context_);
  ASSERT_NE(nullptr, dlg.Create(nullptr));
  EXPECT_EQ("Halyd Setup", WindowText(dlg.hwnd()));
  ASSERT_TRUE(PumpUntil([&] { return dlg.list().RowCount() == 2; }, 5000)) << "discovery runs when the list opens";
  PumpFor(50);
  ASSERT_EQ(5, dlg.list().ColumnCount());
  EXPECT_EQ("MAC Address", dlg.list().ColumnTitle(4));
  std::vector<std::string> row;
  for (int c = 0; c < 5; ++c) row.push_back(dlg.list().Text(0, c));
  EXPECT_EQ((std::vector<std::string>{"simcam", "static", "127.0.0.1", "255.0.0.0", "00:1A:2B:3C:4D:5E"}), row);
  EXPECT_EQ("simcam-b", dlg.list().Text(1, 0));
  EXPECT_EQ(LVS_EX_FULLROWSELECT, ListView_GetExtendedListViewStyle(dlg.list().hwnd()) & LVS_EX_FULLROWSELECT);
  EXPECT_EQ(100, SendDlgItemMessageW(dlg.hwnd(), IDC_PROGRESS, PBM_GETPOS, 0, 0));
  Shot(dlg.hwnd(), "device_list");

  // Refresh clears the rows first: an older device with one interface now.
  Change([](bollard_sim::SimConfig& c) {
    c.address.clear();
    c.interface_count = 1;
  });
  Click(dlg.hwnd(), IDC_REFRESH);
  ASSERT_EQ(1, dlg.list().RowCount());
  EXPECT_EQ("Unkown, OLD Version ^^", dlg.list().Text(0, 2));
  EXPECT_EQ(2, device_.setup_requests());
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(BollardWindows, SetupLogsInAndOpensConfigurationOnlyWhenAccepted) {
  CDeviceListDlg dlg(context_);
  ASSERT_NE(nullptr, dlg.Create(nullptr));
  ASSERT_TRUE(PumpUntil([&] { return dlg.list().RowCount() == 2; }, 5000));
  int logins_asked = 0;
  std::vector<std::string> opened;
  dlg.ask_login = [&](HWND, std::string* id, std::string* password) {
    ++logins_asked;
    *id = "admin";
    *password = "admin";
    return true;
  };
  dlg.open_config = [&](HWND, DeviceLink& link, const DiscoveredDevice& d) {
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(kLoopback, link.device_ip());
    opened.push_back(d.entry.host_name);
  };
  Click(dlg.hwnd(), IDC_SETUP);
  EXPECT_EQ(0, logins_asked) << "nothing happens without a selected row";

  dlg.list().Select(1);
  Change([](bollard_sim::SimConfig& c) { c.login_status = 2; });
  Click(dlg.hwnd(), IDC_SETUP);
  EXPECT_EQ((std::vector<std::string>{"Login Failed:: Wrong User ID"}), sink_.messages);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(2, dlg.list().RowCount()) << "a failed login leaves the list as it was";

  Change([](bollard_sim::SimConfig& c) { c.login_status = 0; });
  NMHDR dblclk = {dlg.list().hwnd(), IDC_DEVICE_LIST, static_cast<UINT>(NM_DBLCLK)};
  SendMessageW(dlg.hwnd(), WM_NOTIFY, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&dblclk));
  EXPECT_EQ((std::vector<std::string>{"simcam-b"}), opened) << "a double click works as Setup";
  EXPECT_EQ(2, logins_asked);
}

TEST_F(BollardWindows, SetupRunsTheRealLoginAndConfigurationDialogs) {
  CDeviceListDlg dlg(context_);
  ASSERT_NE(nullptr, dlg.Create(nullptr));
  ASSERT_TRUE(PumpUntil([&] { return dlg.list().RowCount() == 2; }, 5000));
  dlg.list().Select(0);
  Change([](bollard_sim::SimConfig& c) { c.users = {{"admin", "Administrator", "pw"}}; });
  std::string titles, device_shown;
  ModalDriver driver;
  driver.Then([&](HWND login) {
    titles = WindowText(login);
    SetDlgItemTextW(login, IDC_LOGIN_ID, L"admin");
    SetDlgItemTextW(login, IDC_LOGIN_PASSWORD, L"pw");
    PostMessageW(login, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  driver.Then([&](HWND config) {
    titles += "/" + WindowText(config);
    HWND sheet = FindWindowExW(config, nullptr, L"#32770", nullptr);
    HWND page = sheet ? PropSheet_GetCurrentPageHwnd(sheet) : nullptr;
    device_shown = page ? WindowText(GetDlgItem(page, IDC_DEVICE_NAME)) : "<no page>";
    PostMessageW(config, WM_COMMAND, MAKEWPARAM(IDC_QUIT, BN_CLICKED), 0);
  });
  Click(dlg.hwnd(), IDC_SETUP);
  EXPECT_EQ(2, driver.handled()) << "both modal dialogs opened and closed";
  EXPECT_EQ("Login Dialog/Halyd Configration Manager", titles);
  EXPECT_EQ("eth0", device_shown);
  ASSERT_EQ(1u, device_.received_logins().size());
  EXPECT_EQ("admin", device_.received_logins()[0].user_id);
  EXPECT_EQ("pw", device_.received_logins()[0].password);
  EXPECT_TRUE(sink_.messages.empty());
}

// What OK hands on is the real login's case above; here the fields' limits.
TEST_F(BollardWindows, LoginDialogLimitsItsFields) {
  CLoginDlg dlg(context_.instance);
  ASSERT_NE(nullptr, dlg.Create(nullptr));
  EXPECT_EQ(15, SendDlgItemMessageW(dlg.hwnd(), IDC_LOGIN_ID, EM_GETLIMITTEXT, 0, 0));
  EXPECT_EQ(15, SendDlgItemMessageW(dlg.hwnd(), IDC_LOGIN_PASSWORD, EM_GETLIMITTEXT, 0, 0));
  EXPECT_TRUE(GetWindowLongW(dlg.Item(IDC_LOGIN_PASSWORD), GWL_STYLE) & ES_PASSWORD);
  Shot(dlg.hwnd(), "login");
}

class ConfigWindows : public BollardWindows {
 protected:
  void SetUp() override {
    BollardWindows::SetUp();
    Open(StaticEntry());
  }
  void Open(const InterfaceEntry& entry) {
    dlg_.reset();
    link_ = std::make_unique<DeviceLink>(context_.options.link);
    ASSERT_EQ(0, link_->Open(kLoopback));
    dlg_ = std::make_unique<CConfigManagerDlg>(context_, *link_, entry);
    ASSERT_NE(nullptr, dlg_->Create(nullptr));
    PumpFor(20);
  }
  HWND Page() const { return dlg_->network().hwnd(); }
  bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(Page(), id)) != FALSE; }
  uint32_t Address(int id) const {
    DWORD ip = 0;
    SendDlgItemMessageW(Page(), id, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&ip));
    return ip;
  }

  std::unique_ptr<DeviceLink> link_;
  std::unique_ptr<CConfigManagerDlg> dlg_;  // declared after its link: destroyed before it
};

// Setup on a DHCP device and Apply without a change keeps it on DHCP, with
// every field it reported; static addresses are never sent empty.
TEST_F(ConfigWindows, ADhcpDeviceOpensOnDhcpAndKeepsWhatItReported) {
  InterfaceEntry dhcp = StaticEntry();
  dhcp.device = "eth1";
  dhcp.on_boot = "no";
  dhcp.boot_proto = "dhcp";
  dhcp.ip = dhcp.netmask = dhcp.gateway = 0;
  dhcp.mac[5] = "5F";
  dhcp.host_name = "cam.local";  // the report's address text stays the device's, 127.0.0.1
  Open(dhcp);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(Page(), IDC_BOOT_DHCP));
  EXPECT_EQ(kBootDhcp, dlg_->network().boot());
  EXPECT_EQ("cam.local", dlg_->network().ItemText(IDC_DHCP_HOSTNAME));
  for (int id : {IDC_IP_ADDRESS, IDC_NETMASK, IDC_GATEWAY})
    EXPECT_TRUE(SendDlgItemMessageW(Page(), id, IPM_ISBLANK, 0, 0)) << "not the device's other address: " << id;
  Shot(dlg_->hwnd(), "network_dhcp_device");

  Click(dlg_->hwnd(), IDC_APPLY);
  ASSERT_EQ(1u, device_.received_configs().size());
  EXPECT_EQ("DEVICE=eth1\nONBOOT=no\nBOOTPROTO=dhcp\nMACADDR=00:1A:2B:3C:4D:5F\nHOSTNAME=cam.local\n",
            device_.received_configs()[0].text);

  sink_.messages.clear();
  SendDlgItemMessageW(Page(), IDC_BOOT_STATIC, BM_CLICK, 0, 0);
  Click(dlg_->hwnd(), IDC_APPLY);
  EXPECT_EQ((std::vector<std::string>{"Please enter the whole Address of a statically set interface"}), sink_.messages);
  EXPECT_EQ(1u, device_.received_configs().size()) << "nothing more was sent";
}

TEST_F(ConfigWindows, SheetIsAChildAtTopLeftWithBothPages) {
  EXPECT_EQ("Halyd Configration Manager", WindowText(dlg_->hwnd()));
  HWND sheet = dlg_->sheet().hwnd();
  ASSERT_NE(nullptr, sheet);
  EXPECT_TRUE(GetWindowLongW(sheet, GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(dlg_->hwnd(), GetParent(sheet));
  RECT r;
  GetWindowRect(sheet, &r);
  MapWindowPoints(nullptr, dlg_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(0, r.top);
  EXPECT_EQ(2, TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)));
  // Styles rather than IsWindowVisible: the dialog stays hidden unless a shot is taken.
  EXPECT_FALSE(GetWindowLongW(GetDlgItem(sheet, IDOK), GWL_STYLE) & WS_VISIBLE) << "no buttons of the sheet's own";
  EXPECT_TRUE(GetWindowLongW(sheet, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(0, dlg_->sheet().ActiveIndex());
}

TEST_F(ConfigWindows, NetworkPageLoadsTheEntryAndSwitchesGroupsByBootChoice) {
  EXPECT_EQ("eth0", dlg_->network().ItemText(IDC_DEVICE_NAME));
  EXPECT_EQ(1, SendDlgItemMessageW(Page(), IDC_DEVICE_NAME, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0x7F000001u, Address(IDC_IP_ADDRESS)) << "the interface's own address";
  EXPECT_EQ(0xFF000000u, Address(IDC_NETMASK));
  EXPECT_EQ(0x7F0000FEu, Address(IDC_GATEWAY));
  EXPECT_EQ("1A", dlg_->network().ItemText(IDC_MAC2));
  EXPECT_EQ("simcam", dlg_->network().ItemText(IDC_STATIC_HOSTNAME));
  EXPECT_EQ(15, SendMessageW(GetWindow(GetDlgItem(Page(), IDC_DEVICE_NAME), GW_CHILD), EM_GETLIMITTEXT, 0, 0));
  for (int id : {IDC_MAC1, IDC_MAC6})
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(Page(), id), GWL_STYLE) & ES_READONLY) << "MAC parts are never editable";

  // Static at first: the manual group works, the DHCP group does not.
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(Page(), IDC_BOOT_STATIC));
  const int dhcp[] = {IDC_DHCP_HOSTNAME, IDC_DNS};
  const int manual[] = {IDC_IP_ADDRESS, IDC_NETMASK, IDC_GATEWAY, IDC_STATIC_HOSTNAME};
  for (int id : dhcp) EXPECT_FALSE(Enabled(id)) << id;
  for (int id : manual) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(IDC_BOOT_DHCP)) << "the radio of the other group stays usable";
  Shot(dlg_->hwnd(), "network_static");

  SendDlgItemMessageW(Page(), IDC_BOOT_DHCP, BM_CLICK, 0, 0);
  PumpFor(20);
  EXPECT_EQ(kBootDhcp, dlg_->network().boot());
  for (int id : dhcp) EXPECT_TRUE(Enabled(id)) << id;
  for (int id : manual) EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(IDC_BOOT_STATIC));
  Shot(dlg_->hwnd(), "network_dhcp");
}

// The refusals and the device's answers are the exchange's (native tests);
// here: every field of the static group reaches the file.
TEST_F(ConfigWindows, ApplyWritesTheInterfaceFileAndSendsIt) {
  dlg_->network().SetItemText(IDC_STATIC_HOSTNAME, "cam1");
  SendDlgItemMessageW(Page(), IDC_IP_ADDRESS, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 2, 3));
  SendDlgItemMessageW(Page(), IDC_NETMASK, IPM_SETADDRESS, 0, MAKEIPADDRESS(255, 255, 255, 0));
  SendDlgItemMessageW(Page(), IDC_GATEWAY, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 2, 1));
  Click(dlg_->hwnd(), IDC_APPLY);
  const std::string expected =
      "DEVICE=eth0\nONBOOT=yes\nBOOTPROTO=static\nIPADDR=10.1.2.3\nNETMASK=255.255.255.0\nGATEWAY=10.1.2.1\n"
      "MACADDR=00:1A:2B:3C:4D:5E\nHOSTNAME=cam1\n";
  EXPECT_EQ((std::vector<std::string>{"Network Configutation..........Successed"}), sink_.messages);
  EXPECT_EQ(expected, ReadFileText(scratch_.path() + "eth0"));
  ASSERT_EQ(1u, device_.received_configs().size());
  EXPECT_EQ(expected, device_.received_configs()[0].text);
  std::remove((scratch_.path() + "eth0").c_str());

  // Reload puts the entry back, without touching the boot choice.
  Click(dlg_->hwnd(), IDC_RELOAD);
  EXPECT_EQ(0x7F000001u, Address(IDC_IP_ADDRESS));
  EXPECT_EQ("simcam", dlg_->network().ItemText(IDC_STATIC_HOSTNAME));
}

TEST_F(ConfigWindows, InterfaceFileGoesToDriveC) {
  context_.options.file_dir.clear();
  ASSERT_EQ("c:\\", context_.FileDirectory());
  Click(dlg_->hwnd(), IDC_APPLY);
  EXPECT_EQ((std::vector<std::string>{"Network Configutation..........Successed"}), sink_.messages);
  EXPECT_EQ(0u, ReadFileText("c:\\eth0").find("DEVICE=eth0\n"));
  std::remove("c:\\eth0");
}

TEST_F(ConfigWindows, ReportsDuringApplyFeedTheDeviceChoice) {
  bollard_sim::SimConfig config;
  Change([](bollard_sim::SimConfig& c) {
    c.reports_before_result = 1;
    c.config_text = "DEVICE=eth0\nIPADDR=10.9.8.7\nNETMASK=255.255.0.0\nGATEWAY=10.9.0.1\n#\n";
    c.interface_count = 1;
  });
  Click(dlg_->hwnd(), IDC_APPLY);
  ASSERT_EQ(1u, dlg_->received().size());
  SendDlgItemMessageW(Page(), IDC_DEVICE_NAME, CB_SETCURSEL, 0, 0);
  SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(IDC_DEVICE_NAME, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(Page(), IDC_DEVICE_NAME)));
  EXPECT_EQ(0x0A090807u, Address(IDC_IP_ADDRESS));
  EXPECT_EQ(0xFFFF0000u, Address(IDC_NETMASK));
  EXPECT_EQ(0x0A090001u, Address(IDC_GATEWAY));
}

TEST_F(ConfigWindows, UserPageListsOnFirstShowAndEditsRows) {
  Change([](bollard_sim::SimConfig& c) { c.users = {{"admin", "Administrator", "admin"}, {"op", "Operator", "x"}}; });
  dlg_->sheet().SetActive(CHYConfigSheet::kUserPage);
  PumpFor(50);
  CUserManagePage& page = dlg_->users();
  ASSERT_NE(nullptr, page.hwnd());
  EXPECT_EQ(CHYConfigSheet::kUserPage, dlg_->sheet().ActiveIndex());
  ASSERT_EQ(2, page.list().RowCount()) << "the list is asked for when the page is first shown";
  EXPECT_EQ("User Name", page.list().ColumnTitle(1));
  EXPECT_EQ("Operator", page.list().Text(1, 1));
  Shot(dlg_->hwnd(), "user_page");

  std::vector<UserRow> edits = {{"guest", "Guest", "g"}};
  std::vector<UserRow> shown;
  page.edit_user = [&](HWND, UserRow* row, bool) {
    shown.push_back(*row);
    if (edits.empty()) return false;
    *row = edits.front();
    edits.erase(edits.begin());
    return true;
  };
  Click(page.hwnd(), IDC_USER_ADD);
  ASSERT_EQ(3, page.list().RowCount());
  EXPECT_EQ("guest", page.list().Text(2, 0));

  page.list().Select(1);
  shown.clear();
  edits = {{"op", "Night operator", "y"}};
  Click(page.hwnd(), IDC_USER_MODIFY);
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("op", shown[0].user_id);
  EXPECT_EQ("Operator", shown[0].password) << "the row as listed, its third string the user name";
  EXPECT_EQ("Night operator", page.list().Text(1, 1));

  Change([](bollard_sim::SimConfig& c) { c.op_result = -1; });
  Click(page.hwnd(), IDC_USER_DELETE);
  EXPECT_EQ(2, page.list().RowCount());
  EXPECT_EQ("guest", page.list().Text(1, 0));

  // Apply and Reload on this page list the device's accounts again.
  for (int button : {IDC_APPLY, IDC_RELOAD}) {
    Change([](bollard_sim::SimConfig& c) { c.users.push_back({"new", "Newcomer", "n"}); });
    Click(dlg_->hwnd(), button);
    EXPECT_EQ(int(device_.config().users.size()), page.list().RowCount()) << button;
  }
}

TEST_F(BollardWindows, UserDialogRefusesInOrder) {
  CUserInfoDlg dlg(context_.instance, sink_, UserRow{}, false);
  ASSERT_NE(nullptr, dlg.Create(nullptr));
  EXPECT_EQ("User Info", WindowText(dlg.hwnd()));
  EXPECT_EQ(15, SendDlgItemMessageW(dlg.hwnd(), IDC_USER_PASSWORD, EM_GETLIMITTEXT, 0, 0));
  EXPECT_EQ(15, SendDlgItemMessageW(dlg.hwnd(), IDC_USER_CONFIRM, EM_GETLIMITTEXT, 0, 0));
  auto ok = [&] { Click(dlg.hwnd(), IDOK); };
  // Each step fills one more field; the password is filled before the name to
  // show that the name is still asked for first.
  ok();
  dlg.SetItemText(IDC_USER_ID, "guest");
  dlg.SetItemText(IDC_USER_PASSWORD, "one");
  ok();
  dlg.SetItemText(IDC_USER_NAME, "Guest");
  dlg.SetItemText(IDC_USER_PASSWORD, "");
  ok();
  dlg.SetItemText(IDC_USER_PASSWORD, "one");
  ok();
  dlg.SetItemText(IDC_USER_CONFIRM, "two");
  ok();
  EXPECT_EQ((std::vector<std::string>{"Please Input a User ID", "Please Input a User Name", "Please Input a Password",
                                      "Please Confirm a Password", "Password and Confirmed Password is not same"}),
            sink_.messages);
  EXPECT_EQ(-1, dlg.result()) << "a refused OK leaves the dialog open";
  Shot(dlg.hwnd(), "user_info");
  dlg.SetItemText(IDC_USER_CONFIRM, "one");
  ok();
  EXPECT_EQ(IDOK, dlg.result());
  EXPECT_EQ("guest", dlg.row().user_id);
  EXPECT_EQ("Guest", dlg.row().user_name);
  EXPECT_EQ("one", dlg.row().password);
  EXPECT_EQ(5u, sink_.messages.size());
}

TEST_F(BollardWindows, TextBeyondItsFieldInBytesIsRefusedNotCut) {
  CUserInfoDlg dlg(context_.instance, sink_, UserRow{}, false);
  ASSERT_NE(nullptr, dlg.Create(nullptr));
  // Ten Hangul syllables are 30 bytes of UTF-8 and fit the 32-byte name field;
  // eleven (33 bytes) do not, though they are far fewer than 31 characters.
  std::wstring ten(10, L'\uD55C');
  SetDlgItemTextW(dlg.hwnd(), IDC_USER_NAME, ten.c_str());
  EXPECT_EQ(win32::Narrow(ten), dlg.ItemText(IDC_USER_NAME));
  SetDlgItemTextW(dlg.hwnd(), IDC_USER_NAME, (ten + L"\uD55C").c_str());
  EXPECT_EQ(win32::Narrow(ten), dlg.ItemText(IDC_USER_NAME)) << "the change that no longer fits is undone";
  SetDlgItemTextW(dlg.hwnd(), IDC_USER_ID, L"\uD55C\uD55C\uD55C\uD55C\uD55C\uD55C");  // 18 bytes
  EXPECT_EQ("", dlg.ItemText(IDC_USER_ID));
  SetDlgItemTextW(dlg.hwnd(), IDC_USER_ID, L"\uD55C\uD55C\uD55C\uD55C\uD55C");  // 15 bytes
  EXPECT_EQ(15u, dlg.ItemText(IDC_USER_ID).size());
}

TEST_F(BollardWindows, UserDialogForModifyKeepsTheIdFixed) {
  CUserInfoDlg dlg(context_.instance, sink_, UserRow{"op", "Operator", "Operator"}, true);
  ASSERT_NE(nullptr, dlg.Create(nullptr));
  EXPECT_TRUE(GetWindowLongW(dlg.Item(IDC_USER_ID), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ("op", dlg.ItemText(IDC_USER_ID));
  // The listed row holds the user name where the password would be: the
  // fields open empty, and OK without a password is refused.
  EXPECT_EQ("", dlg.ItemText(IDC_USER_PASSWORD));
  EXPECT_EQ("", dlg.ItemText(IDC_USER_CONFIRM));
  Click(dlg.hwnd(), IDOK);
  EXPECT_NE(IDOK, dlg.result());
  ASSERT_EQ(1u, sink_.messages.size());
  EXPECT_EQ("Please Input a Password", sink_.messages.back());
  SetDlgItemTextW(dlg.hwnd(), IDC_USER_PASSWORD, L"n3w");
  SetDlgItemTextW(dlg.hwnd(), IDC_USER_CONFIRM, L"n3w");
  Click(dlg.hwnd(), IDOK);
  EXPECT_EQ(IDOK, dlg.result());
  EXPECT_EQ("n3w", dlg.row().password);
}

// What a message box showed; the driver then presses `button` in it.
struct SeenBox {
  std::string caption, text;
  bool has_yes = false, has_no = false;
};
void AnswerBox(ModalDriver& driver, const char* shot_name, int button, SeenBox* seen) {
  driver.Then([=](HWND box) {
    seen->caption = WindowText(box);
    seen->text = WindowText(GetDlgItem(box, 0xFFFF));
    seen->has_yes = GetDlgItem(box, IDYES) != nullptr;
    seen->has_no = GetDlgItem(box, IDNO) != nullptr;
    Shot(box, shot_name);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  });
}

// Declared DPI-aware, its dialogs lay themselves out at the display's DPI
// rather than being stretched and blurred by Windows.
TEST(BollardManifest, DeclaresDpiAwareness) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string manifest(text, SizeofResource(nullptr, found));
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << manifest;
}

// The shell's real message boxes: caption, the text in Korean as well, and
// the answer of a question box.
TEST(MessageBoxSink, RealBoxesShowTheirTextsAndReturnTheAnswer) {
  CMessageBoxSink sink;
  SeenBox message;
  {
    ModalDriver driver;
    AnswerBox(driver, "message_korean", IDOK, &message);
    sink.ShowMessage("Windows 소켓 초기화에 실패하였습니다.");
  }
  EXPECT_EQ("Bollard", message.caption);
  EXPECT_EQ("Windows 소켓 초기화에 실패하였습니다.", message.text);
  EXPECT_FALSE(message.has_no);

  for (int button : {IDNO, IDYES}) {
    SeenBox question;
    ModalDriver driver;
    AnswerBox(driver, "message_question", button, &question);
    EXPECT_EQ(button == IDYES, sink.AskYesNo("Are you sure to delete this user account?"));
    EXPECT_EQ("Are you sure to delete this user account?", question.text);
    EXPECT_TRUE(question.has_yes && question.has_no);
  }
}

}  // namespace
}  // namespace bollard
