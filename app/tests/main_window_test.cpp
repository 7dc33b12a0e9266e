// The main window in-process under Wine, driven with messages: start-up
// state, its commands, the hosting session against halyard-sim as the tree
// shows it, views opened through the factory, docking and dragging.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/resource.h"
#include "halyard_version.h"
#include "app/tests/shell_fixture.h"
#include "os/socket.h"
#include "settings/win32/ini_handler.h"
#include "settings/win32/viewer_registry.h"

namespace app::testing {
namespace {

using namespace dialogs::testing;

std::string ComboText(HWND combo, int index) {
  wchar_t text[128] = {};
  if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 128) return "<long>";
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return win32::Narrow(text);
}

// A point in a mouse message's LPARAM; left of or above the window is negative.
LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// A later run opens where the last one left the window, unless that was on a
// monitor now gone.
TEST_F(ShellTest, AFirstRunOpensAtTheOriginWithTheProxyOffAndLaterRunsWhereItWasLeft) {
  CMainWindow& main = OpenMain();
  RECT r = WindowRect(main.hwnd());
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(main.core().hosting().Proxy()->use_proxy, 0);
  EXPECT_TRUE(IsWindowVisible(main.hwnd()));
  EXPECT_TRUE(main.skin().applied());
  EXPECT_EQ(WindowText(main.hwnd()), "Halyard");
  EXPECT_EQ(CMainWindow::Instance(), &main);
  EXPECT_FALSE(IsWindowVisible(main.file_list().hwnd())) << "the file list starts hidden";
  EXPECT_TRUE(sandbox_.messages.shown().empty()) << sandbox_.messages.last();
  SetWindowPos(main.hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  CloseMain();
  EXPECT_EQ(CMainWindow::Instance(), nullptr);
  r = WindowRect(OpenMain().hwnd());
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 150);
  CloseMain();
  settings::SaveWindowPosition({5000, 4000});
  r = WindowRect(OpenMain().hwnd());
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(r.left, work.left);
  EXPECT_LE(r.right, work.right);
  EXPECT_GE(r.top, work.top);
  EXPECT_LE(r.bottom, work.bottom);
}

TEST_F(ShellTest, TheSystemMenuOpensTheAboutBoxWithTheVersion) {
  CMainWindow& main = OpenMain();
  HMENU menu = GetSystemMenu(main.hwnd(), FALSE);
  const int last = GetMenuItemCount(menu) - 1;
  ASSERT_GT(last, 0);
  EXPECT_EQ(GetMenuItemID(menu, last), static_cast<UINT>(ID_ABOUT));
  std::string version;
  ModalDriver driver(true);
  driver.Then([&](HWND about) {
    version = WindowText(GetDlgItem(about, IDC_ABOUT_VERSION));
    Click(about, IDOK);
  });
  SendMessageW(main.hwnd(), WM_SYSCOMMAND, ID_ABOUT, 0);
  EXPECT_EQ(version, std::string("Halyard Version ") + HALYARD_VERSION_TEXT);
  // Above the Event Log, the Recordings window.
  EXPECT_EQ(GetMenuItemID(menu, last - 2), static_cast<UINT>(ID_RECORDINGS));
  SendMessageW(main.hwnd(), WM_SYSCOMMAND, ID_RECORDINGS, 0);
  ASSERT_TRUE(main.side_windows().recordings() && main.side_windows().recordings()->hwnd());
  EXPECT_TRUE(IsWindowVisible(main.side_windows().recordings()->hwnd()));
  // The program's microphone runs from the start when there is one.
  if (waveInGetNumDevs() > 0) {
    EXPECT_TRUE(parts_->devices.microphone_on());
  }
}

TEST_F(ShellTest, TheEventLogWindowListsNewestFirstFiltersByCameraAndCopies) {
  CMainWindow& main = OpenMain();
  HMENU menu = GetSystemMenu(main.hwnd(), FALSE);
  const int last = GetMenuItemCount(menu) - 1;
  EXPECT_EQ(GetMenuItemID(menu, last - 1), static_cast<UINT>(ID_EVENT_LOG)) << "the system menu has no Event Log";
  main.core().event_log().Add(node::EventKind::kLinkLost, "Gate", "Link lost");
  main.core().event_log().Add(node::EventKind::kConnected, "Yard", "Connected");
  main.core().event_log().Add(node::EventKind::kResumed, "Gate", "Video resumed after 12 s");
  SendMessageW(main.hwnd(), WM_SYSCOMMAND, ID_EVENT_LOG, 0);
  CEventLogWindow* log = main.side_windows().event_log();
  ASSERT_TRUE(log && log->hwnd());
  EXPECT_TRUE(IsWindowVisible(log->hwnd()));
  ASSERT_EQ(3, log->list().RowCount());
  EXPECT_EQ("Video resumed after 12 s", log->list().Text(0, 2)) << "newest first";

  HWND combo = GetDlgItem(log->hwnd(), IDC_EVENT_CAMERA);
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  SendMessageW(log->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_EVENT_CAMERA, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  ASSERT_EQ(1, log->list().RowCount());
  EXPECT_EQ("Connected", log->list().Text(0, 2));

  SendMessageW(log->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_EVENT_COPY, BN_CLICKED), 0);
  std::string copied;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      copied = win32::Narrow(static_cast<const wchar_t*>(GlobalLock(data)));
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  EXPECT_EQ(log->list().Text(0, 0) + "\tYard\tConnected\r\n", copied) << "what the filter shows";
}

// The window reads the log again each second: what the user chose, scrolled
// to or opened stays; a choice means the camera it showed; "-" is the
// entries without a camera.
TEST_F(ShellTest, TheEventLogKeepsTheUsersPlaceAndReadsChoicesAsShown) {
  CMainWindow& main = OpenMain();
  settings::IniHandler::Instance().WriteString("EVENT_LOG", "ALL_CAMERAS", "Alle Kameras");
  main.core().event_log().Add(node::EventKind::kConnected, "", "Hosting server connected");
  for (int i = 0; i < 40; ++i) main.core().event_log().Add(node::EventKind::kMotion, "Gate", "Motion " + std::to_string(i));
  main.side_windows().ShowEventLog(main.hwnd());
  CEventLogWindow* log = main.side_windows().event_log();
  ASSERT_TRUE(log && log->hwnd());
  HWND combo = GetDlgItem(log->hwnd(), IDC_EVENT_CAMERA);
  HWND list = log->list().hwnd();
  EXPECT_EQ("Alle Kameras", ComboText(combo, 0)) << "the settings file names the first entry";
  auto choose = [&](int index) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(log->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_EVENT_CAMERA, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  };
  ASSERT_EQ("-", ComboText(combo, 1));
  choose(1);
  ASSERT_EQ(1, log->list().RowCount()) << "only the entry without a camera";
  EXPECT_EQ("Hosting server connected", log->list().Text(0, 2));

  // A camera the log has gained since the list was filled ("Aaa" sorts first)
  // does not shift what the user picks.
  main.core().event_log().Add(node::EventKind::kConnected, "Aaa", "Connected");
  choose(2);
  ASSERT_EQ(40, log->list().RowCount());
  EXPECT_EQ("Gate", log->list().Text(0, 1));

  win32::ListView(list).Select(30);
  ListView_EnsureVisible(list, 39, FALSE);
  const int top = ListView_GetTopIndex(list);
  ASSERT_GT(top, 0);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  main.core().event_log().Add(node::EventKind::kMotion, "Gate", "Motion 40");
  main.core().event_log().Add(node::EventKind::kConnected, "Yard", "Connected");
  log->Refresh();
  EXPECT_EQ("Motion 9", log->list().Text(log->list().SelectedRow(), 2)) << "the chosen entry stays chosen";
  EXPECT_EQ("Motion " + std::to_string(39 - top), log->list().Text(ListView_GetTopIndex(list), 2))
      << "the entry at the top stays there";
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the open drop-down stays open";
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  SendMessageW(log->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_EVENT_CAMERA, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(5, SendMessageW(combo, CB_GETCOUNT, 0, 0)) << "all, -, Aaa, Gate, Yard";
  EXPECT_EQ("Gate", ComboText(combo, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0))));
}

TEST_F(ShellTest, EscapeEnterAndCloseCommandsOfTheDialogDoNothing) {
  CMainWindow& main = OpenMain();
  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    MSG msg{main.hwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
    IsDialogMessageW(main.hwnd(), &msg);
    PumpFor(20);
  }
  Command(IDOK);
  Command(IDCANCEL);
  EXPECT_FALSE(main.ended());
  EXPECT_TRUE(IsWindowVisible(main.hwnd()));
}

// The keyboard reaches what the mouse does: Enter opens the tree's entry,
// the context-menu key its menu; a modeless window takes Tab and Escape.
TEST_F(ShellTest, TheKeyboardOpensEntriesAndMenusAndMovesThroughTheEventLog) {
  factory_.link = false;
  CMainWindow& main = OpenMain();
  HWND tree = GetDlgItem(main.hwnd(), IDC_TREE_SERVER);
  main.tree().Select(Server("Demo camera"));
  SetFocus(tree);
  ModalDriver login;
  login.Then([&](HWND d) {
    SetText(GetDlgItem(d, 1027), "demo");
    SetText(GetDlgItem(d, 1028), "demo");
    Click(d, IDOK);
  });
  MSG enter{tree, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  IsDialogMessageW(main.hwnd(), &enter);
  EXPECT_TRUE(login.done()) << "Enter asked for the login";
  ASSERT_EQ(1u, factory_.requests.size()) << "and opened the camera";
  EXPECT_EQ("Demo camera", factory_.requests[0].display_name);

  bool menu_shown = false;
  ModalDriver menu([&] {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return false;
    menu_shown = true;
    EndMenu();
    return true;
  });
  // The view just opened takes the activation when the X server gets round
  // to it, which on a busy machine can fall inside the menu's loop and
  // close the menu as a click elsewhere would: the main window is made
  // active again first, and a menu closed so is opened once more.
  for (int attempt = 0; attempt < 3 && !menu_shown; ++attempt) {
    PumpFor(100);
    SetForegroundWindow(main.hwnd());
    SetFocus(tree);
    SendMessageW(main.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree), -1);
  }
  EXPECT_TRUE(menu_shown) << "the context-menu key opens the entry's menu";

  main.side_windows().ShowEventLog(main.hwnd());
  HWND log = main.side_windows().event_log()->hwnd();
  HWND combo = GetDlgItem(log, IDC_EVENT_CAMERA);
  SetFocus(combo);
  PostMessageW(combo, WM_KEYDOWN, VK_TAB, 0);
  PumpFor(50);
  EXPECT_EQ(GetDlgItem(log, IDC_EVENT_COPY), GetFocus()) << "Tab moves on";
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(50);
  EXPECT_FALSE(IsWindowVisible(log)) << "Escape puts it away";
}

TEST_F(ShellTest, SortWindowMovesTheMainWindowToTheOriginAndRearrangesTheViews) {
  factory_.link = false;
  CMainWindow& main = OpenMain();
  Connect("Demo camera");
  Connect("Second camera");
  ASSERT_EQ(main.views().size(), 2u);
  SetWindowPos(main.hwnd(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Command(IDC_BUTTON_SORT);
  const RECT r = WindowRect(main.hwnd());
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  for (TestView* v : factory_.opened) EXPECT_EQ(v->undocked, 1);
}

TEST_F(ShellTest, TheListBoxStaysOffWhileNoHostingServerIsConnected) {
  CMainWindow& main = OpenMain();
  CheckDlgButton(main.hwnd(), IDC_CHECK_SHOW_LIST, BST_CHECKED);  // as the click itself does
  Command(IDC_CHECK_SHOW_LIST);
  EXPECT_EQ(IsDlgButtonChecked(main.hwnd(), IDC_CHECK_SHOW_LIST), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowVisible(main.file_list().hwnd()));
}

TEST_F(ShellTest, ConnectWantsAServerSelected) {
  CMainWindow& main = OpenMain();
  ModalDriver driver;  // any login dialog would be a failure
  driver.Then([](HWND d) { Click(d, IDCANCEL); });
  main.tree().Select(nullptr);
  Command(IDC_BUTTON_CONNECT);
  EXPECT_EQ(sandbox_.messages.last(), "Please Select a Server.");
  sandbox_.messages.clear();
  main.tree().Select(main.tree().Children(nullptr)[1]);
  Command(IDC_BUTTON_CONNECT);
  EXPECT_EQ(sandbox_.messages.last(), "Please Select a Server.");
  EXPECT_EQ(driver.handled(), 0);
  EXPECT_TRUE(factory_.requests.empty());
}

// Explorer's restart empties the notification area: the icon comes back
// with the taskbar, so a hidden main window stays within reach.
TEST_F(ShellTest, TheTrayAndTheMinimiseButtonHideAndShowTheWindowAndTheIconComesBackWithTheTaskbar) {
  CMainWindow& main = OpenMain();
  ASSERT_TRUE(main.tray_icon_shown());
  const RECT before = WindowRect(main.hwnd());
  Command(IDC_BUTTON_MINIMIZE);
  EXPECT_FALSE(IsWindowVisible(main.hwnd()));
  Command(ID_SHOW_WINDOW);
  EXPECT_TRUE(IsWindowVisible(main.hwnd()));
  Command(IDC_BUTTON_MINIMIZE);
  SendMessageW(main.hwnd(), kWmTrayCallback, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(main.hwnd()));
  const RECT after = WindowRect(main.hwnd());
  EXPECT_EQ(before.left, after.left);
  EXPECT_EQ(before.right - before.left, after.right - after.left) << "hiding neither moves nor resizes";

  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = main.hwnd();
  icon.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon)) << "as when the shell restarts";
  SendMessageW(main.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  icon.uFlags = NIF_TIP;
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the icon is there again";
}

// A second Connect while the first is still in its proxy handshake is not
// "already connected": the message says the connection could not be started.
TEST_F(ShellTest, ASecondConnectWhileTheFirstIsStillStartingSaysWhatHappened) {
  StartSim();
  CMainWindow& main = OpenMain();
  // A proxy that takes the connection and never answers.
  os::SocketHandle silent = os::TcpSocket();
  uint16_t port = 0;
  ASSERT_EQ(os::BindAndListen(silent, 0x7F000001, 0, &port), 0);
  net::ProxySettings proxy = *main.core().hosting().Proxy();
  proxy.use_proxy = 1;
  proxy.version = 5;
  proxy.SetAddress(0x7F000001);
  proxy.port = port;
  main.core().hosting().SetProxy(proxy);
  Connect("Demo server");
  sandbox_.messages.clear();
  Connect("Demo server");
  EXPECT_EQ(sandbox_.messages.last(),
            "The connection to the Host Server could not be started: an earlier attempt is still under way.");
  // The first attempt ends when its proxy goes away.
  os::CloseSocket(silent);
  proxy.use_proxy = 0;
  main.core().hosting().SetProxy(proxy);
}

// The hosting client shows nothing itself: a refused login reaches the
// window's thread as an event, which shows the box there and keeps the
// refusal in the event log.
TEST_F(ShellTest, ARefusedLoginIsShownOnTheWindowsThreadAndLogged) {
  StartSim();
  CMainWindow& main = OpenMain();
  sandbox_.messages.clear();
  Connect("Demo server", "demo", "wrong");
  ASSERT_TRUE(PumpUntil([&] { return !sandbox_.messages.shown().empty(); }, 10000)) << "the refusal was not shown";
  EXPECT_EQ("Login Fail : Please Insert Correct ID and Password", sandbox_.messages.last());
  EXPECT_FALSE(sandbox_.messages.shown_off_thread()) << "a network thread showed the box";
  bool logged = false;
  for (const node::EventEntry& e : main.core().event_log().Entries()) logged = logged || e.kind == node::EventKind::kLoginRefused;
  EXPECT_TRUE(logged);
}

TEST_F(ShellTest, AHostingSessionShowsInTheTreeAndItsViewsReceivePictures) {
  StartSim();
  CMainWindow& main = OpenMain();
  Connect("Demo server");
  ASSERT_TRUE(WaitHostOnline()) << sandbox_.messages.last();
  HTREEITEM server = Server("Demo server");
  EXPECT_EQ(TextOf(server), "Demo server (Online)");
  EXPECT_EQ(ChildTexts(server), (std::vector<std::string>{"CAM-1", "CAM-2"}));
  EXPECT_EQ(TextOf(Server("Demo camera")), "Demo camera (Offline)");
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(main.file_list().hwnd()) != FALSE; }))
      << "the login opens the camera and file list";
  const RECT m = WindowRect(main.hwnd()), l = WindowRect(main.file_list().hwnd());
  EXPECT_EQ(l.left, m.right) << "beside the main window";
  EXPECT_EQ(l.top, m.top);
  EXPECT_EQ(IsDlgButtonChecked(main.hwnd(), IDC_CHECK_SHOW_LIST), BST_CHECKED);
  EXPECT_TRUE(PumpUntil([&] { return main.file_list().FileCount() == 2; })) << "the stored files are listed";

  Connect("Demo server");
  EXPECT_EQ(sandbox_.messages.last(), "Host Server is already connected.");

  main.tree().DoubleClick(main.tree().FindCamera("CAM-1"));
  ASSERT_EQ(factory_.requests.size(), 1u);
  EXPECT_EQ(factory_.requests[0].kind, ViewRequest::Kind::kRelay);
  EXPECT_EQ(factory_.requests[0].camera_id, "CAM-1");
  EXPECT_EQ(factory_.requests[0].record_path, "");
  ASSERT_EQ(factory_.opened.size(), 1u);
  TestView* view = factory_.opened[0];
  EXPECT_TRUE(PumpUntil([&] { return view->media().path().FramesShown() >= 5; }, 10000)) << "pictures arrive";
  EXPECT_TRUE(PumpUntil([&] { return TextOf(main.tree().FindCamera("CAM-1")) == "CAM-1 (Online)"; }));
  main.tree().DoubleClick(main.tree().FindCamera("CAM-1"));
  EXPECT_EQ(factory_.requests.size(), 1u) << "one view per camera";

  Sim("offline CAM-2");
  EXPECT_TRUE(PumpUntil([&] { return main.tree().FindCamera("CAM-2") == nullptr; }));
  Sim("online CAM-2");
  EXPECT_TRUE(PumpUntil([&] { return main.tree().FindCamera("CAM-2") != nullptr; }));

  // The server menu's Close: the relay view closes, the cameras go.
  main.tree().Select(server);
  main.tree().OnMenuCommand(kCmdCloseHost);
  EXPECT_TRUE(PumpUntil([&] { return main.tree().Children(server).empty() && main.views().empty(); }));
  EXPECT_EQ(TextOf(server), "Demo server (Offline)");
  EXPECT_EQ(main.file_list().FileCount(), 0u);
}

TEST_F(ShellTest, ADirectViewMarksItsOwnEntryAndItsNoticesReachTheTree) {
  StartSim();
  CMainWindow& main = OpenMain();
  Connect("Demo camera", "demo", "demo");
  ASSERT_EQ(factory_.requests.size(), 1u);
  const ViewRequest& r = factory_.requests[0];
  EXPECT_EQ(r.kind, ViewRequest::Kind::kDirect);
  EXPECT_EQ(r.display_name, "Demo camera");
  EXPECT_EQ(r.login.ip, "127.0.0.1");
  EXPECT_EQ(r.login.port, world_->camera("CAM-1")->port());
  EXPECT_EQ(r.login.user, "demo");
  EXPECT_EQ(r.login.password, "demo");
  EXPECT_FALSE(r.login.dynamic_ip);
  ASSERT_TRUE(PumpUntil([&] { return TextOf(Server("Demo camera")) == "Demo camera (Online)"; }, 10000));
  EXPECT_EQ(TextOf(Server("Second camera")), "Second camera (Offline)") << "same address, other entry";

  const CServerTree::Entry* entry = main.tree().EntryOf(Server("Demo camera"));
  EXPECT_FALSE(entry->alarm);
  Sim("notice CAM-1 7");
  EXPECT_TRUE(PumpUntil([&] { return main.tree().EntryOf(Server("Demo camera"))->alarm; }));
  EXPECT_FALSE(main.tree().EntryOf(Server("Second camera"))->alarm);

  Command(IDC_BUTTON_CLOSE);  // Log out closes every view
  EXPECT_TRUE(PumpUntil([&] { return main.views().empty(); }));
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Server("Demo camera")) == "Demo camera (Offline)"; }));
  EXPECT_FALSE(main.tree().EntryOf(Server("Demo camera"))->alarm);
  EXPECT_EQ(main.core().slots().InUse(), 0) << "the view gave its node slot back";
}

TEST_F(ShellTest, ExitEndsTheWindowOnceItsViewsHaveClosed) {
  factory_.link = false;
  CMainWindow& main = OpenMain();
  Connect("Demo camera");
  ASSERT_EQ(main.views().size(), 1u);
  Command(IDC_BUTTON_EXIT);
  EXPECT_TRUE(PumpUntil([&] { return main.ended(); }));
  EXPECT_TRUE(main.views().empty());
}

// A view still open when the main window goes (its close missed the exit
// wait, or the window went without Exit) ends before the sound device it
// plays through is released.
TEST_F(ShellTest, ViewsLeftOpenEndBeforeTheSoundDeviceCloses) {
  factory_.link = false;
  CMainWindow& main = OpenMain();
  ASSERT_NE(main.view_host().SoundOutput(), nullptr) << "no sound device: is the test's sound server running?";
  Connect("Demo camera");
  ASSERT_EQ(main.views().size(), 1u);
  CloseMain();
  EXPECT_EQ(factory_.ended_with_sound, 1) << "the view outlived the sound device";
  EXPECT_EQ(factory_.ended_without_sound, 0);
}

TEST_F(ShellTest, TheListWindowDocksToTheMainWindowAndFollowsIt) {
  CMainWindow& main = OpenMain();
  SetWindowPos(main.hwnd(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HWND list = main.file_list().hwnd();
  const RECT m = WindowRect(main.hwnd());
  SetWindowPos(list, nullptr, m.right + 200, m.top + 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(list, SW_SHOWNOACTIVATE);
  // Dragged to 12 pixels right of the main window: it snaps against it.
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, At(50, 50));
  SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, At(50 - 188, 50 - 33));
  SendMessageW(list, WM_LBUTTONUP, 0, 0);
  RECT l = WindowRect(list);
  EXPECT_EQ(l.left, m.right);
  EXPECT_EQ(l.top, m.top) << "the tops 7 pixels apart align too";
  // Dragging the main window takes the docked list along.
  SendMessageW(main.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(100, 10));
  SendMessageW(main.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, At(100 + 150, 10 + 90));
  SendMessageW(main.hwnd(), WM_LBUTTONUP, 0, 0);
  const RECT m2 = WindowRect(main.hwnd());
  EXPECT_EQ(m2.left - m.left, 150);
  EXPECT_EQ(m2.top - m.top, 90);
  l = WindowRect(list);
  EXPECT_EQ(l.left, m2.right);
  EXPECT_EQ(l.top, m2.top);
}

}  // namespace
}  // namespace app::testing
