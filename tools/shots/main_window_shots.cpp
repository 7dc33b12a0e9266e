// Pictures of Halyard's windows for a look by eye (see shots.sh): the main
// window connected to halyard-sim with its camera and file list, the login
// dialog, the option sheet's network page and the server info dialog, each
// saved as a 24-bit BMP of the screen around the window.
//   halyard_shots OUT_DIR
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "app/layouts/win32/layout_registry.h"
#include "app/resource.h"
#include "app/view/view_factory.h"
#include "os/win32/monitors.h"
#include "app/tests/shell_fixture.h"
#include "dialogs/win32/dialog_ids.h"
#include "dialogs/tests/win32_test_support.h"
#include "os/win32/handles.h"
#include "world.h"

namespace {

using namespace dialogs::testing;

std::string g_out;

LRESULT CALLBACK BackdropProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    for (int y = 0; y < r.bottom; y += 4) {
      const int shade = 0x5A - y * 0x28 / r.bottom;
      RECT band{0, y, r.right, y + 4};
      win32::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(shade, shade + 0x10, shade + 0x22)));
      FillRect(dc, &band, brush.get());
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Backdrop() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = BackdropProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HalyardShotsBackdrop";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                              GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, wc.hInstance, nullptr);
  SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
}

// The screen inside `r` grown by a margin, as a BMP named NAME.bmp.
void Shot(RECT r, const char* name) {
  PumpFor(600);
  constexpr int kMargin = 14;
  const LONG left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  r.left = std::max<LONG>(left, r.left - kMargin);
  r.top = std::max<LONG>(top, r.top - kMargin);
  r.right = std::min<LONG>(left + GetSystemMetrics(SM_CXVIRTUALSCREEN), r.right + kMargin);
  r.bottom = std::min<LONG>(top + GetSystemMetrics(SM_CYVIRTUALSCREEN), r.bottom + kMargin);
  if (!win32::testing::SaveBmp(win32::testing::CaptureScreen(r), g_out + "/" + name + ".bmp")) return;
  std::printf("shot %s\n", name);
  std::fflush(stdout);
}

RECT Union(RECT a, RECT b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// The test fixture's program folder and simulator, used by a program.
class Session : public app::testing::ShellTest {
 public:
  void TestBody() override {}
  int Run();

 private:
  // Real views, so that the pictures show.
  std::unique_ptr<app::ViewFactory> real_views_ = app::view::MakeViewFactory(GetModuleHandleW(nullptr));
};

// A 3x3 wall of the nine cameras on the whole screen, once every cell shows pictures.
void ShootWall(app::CMainWindow& main) {
  app::wall::WallSetup setup;
  app::wall::ParseWallPattern("3x3", &setup.pattern);
  setup.SetPattern(setup.pattern);
  for (size_t i = 0; i < setup.cells.size(); ++i) setup.cells[i] = {true, "CAM-" + std::to_string(i + 1)};
  app::wall::CWallWindow* wall = main.walls().Open(setup);
  if (!wall) return;
  PumpUntil([&] {
    for (int i = 0; i < wall->cell_count(); ++i)
      if (wall->cell(i).state() != app::wall::CellState::kLive) return false;
    return true;
  }, 20000);
  PumpFor(1500);
  Shot({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, "wall");
  main.walls().CloseAll();
}

// With two monitors: a layout of two views on the first and a 2x2 wall on
// the second, saved and put back, pictured across both.
void ShootTwoMonitorLayout(app::CMainWindow& main) {
  const std::vector<os::ScreenRect> monitors = win32::MonitorRects();
  std::printf("monitors %zu\n", monitors.size());
  if (monitors.size() < 2) return;
  app::layouts::Layout layout;
  layout.views.push_back({true, "CAM-1", {monitors[0].left + 300, 40, monitors[0].left + 620, 295}, 1, -1});
  layout.views.push_back({true, "CAM-2", {monitors[0].left + 300, 330, monitors[0].left + 620, 585}, 1, -1});
  app::wall::WallSetup wall;
  wall.monitor = 2;
  for (size_t i = 0; i < wall.cells.size(); ++i) wall.cells[i] = {true, "CAM-" + std::to_string(i + 3)};
  layout.walls.push_back(wall);
  app::layouts::SaveLayout("Two monitors", layout);
  main.layouts().Restore("Two monitors");
  PumpUntil([&] {
    if (main.views().size() < 2 || main.walls().all().empty()) return false;
    for (int i = 0; i < main.walls().all()[0]->cell_count(); ++i)
      if (main.walls().all()[0]->cell(i).state() != app::wall::CellState::kLive) return false;
    return true;
  }, 20000);
  PumpFor(2000);
  RECT all{monitors[0].left, monitors[0].top, monitors[0].right, monitors[0].bottom};
  for (const os::ScreenRect& m : monitors) all = Union(all, {m.left, m.top, m.right, m.bottom});
  Shot(all, "two_monitors");
  main.walls().CloseAll();
}

int Session::Run() {
  SetUpTestSuite();
  SetUp();
  StartSim(7);  // CAM-1 to CAM-9, for the wall
  settings::IniHandler::Instance().Initialise(app::testing::DistFolder() + "/Halyard.ini");
  view_factory_ = real_views_.get();
  app::CMainWindow& main = OpenMain();
  SetWindowPos(main.hwnd(), nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Connect("Demo server");
  if (!WaitHostOnline()) {
    std::fprintf(stderr, "the hosting server did not come online\n");
    return 1;
  }
  PumpUntil([&] { return IsWindowVisible(main.file_list().hwnd()) != FALSE; });
  const RECT m = WindowRect(main.hwnd());
  main.tree().Select(main.tree().FindCamera("CAM-1"));
  // The list shows the stored files of rec/cam1, the first one chosen.
  PumpUntil([&] { return main.file_list().FileCount() == 2; });
  TreeView_Expand(main.file_list().tree_control(), main.file_list().RootItem(0), TVE_EXPAND);
  main.file_list().SelectItem(main.file_list().ChildItem(0, 0));
  main.file_list().table().Select(0);
  Shot(Union(m, WindowRect(main.file_list().hwnd())), "main");
  PumpFor(2500);  // time for a look from outside (import -window root)
  ShowWindow(main.file_list().hwnd(), SW_HIDE);

  {
    ModalDriver driver;
    driver.Then([](HWND d) {
      SetText(GetDlgItem(d, IDC_EDIT_ID), "demo");
      SetText(GetDlgItem(d, IDC_EDIT_PASSWD), "demo");
      CheckDlgButton(d, IDC_CHECK_SAVEIDPW, BST_CHECKED);
      Shot(Union(WindowRect(d), WindowRect(GetWindow(d, GW_OWNER))), "login");
      Click(d, IDCANCEL);
    });
    main.tree().Select(Server("Demo camera"));
    Command(IDC_BUTTON_CONNECT);
  }
  {
    ModalDriver driver;
    driver.Then([](HWND sheet) {
      PropSheet_SetCurSel(sheet, nullptr, 1);
      PumpFor(50);
      HWND page = PropSheet_GetCurrentPageHwnd(sheet);
      Toggle(page, IDC_USE_PROXY);
      Choose(page, IDC_PROXY_VERSION, 1);
      SetText(GetDlgItem(page, IDC_PROXY_IP), "127.0.0.1");
      SetText(GetDlgItem(page, IDC_PROXY_ID), "agent");
      SetText(GetDlgItem(page, IDC_PROXY_PASSWD), "secret");
      Shot(WindowRect(sheet), "options");
      PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    Command(IDC_BUTTON_OPTION);
  }
  {
    ModalDriver driver;
    driver.Then([](HWND d) {
      SetText(GetDlgItem(d, IDC_SERVER_NAME), "Gate");
      SendDlgItemMessageW(d, IDC_SERVER_IP, IPM_SETADDRESS, 0, MAKEIPADDRESS(127, 0, 0, 1));
      Toggle(d, IDC_USE_DDNS);
      SetText(GetDlgItem(d, IDC_SERVER_MAC), "00:1A:2B:3C:4D:5E");
      Shot(WindowRect(d), "server_info");
      Click(d, IDCANCEL);
    });
    main.tree().Select(main.tree().Children(nullptr)[1]);
    main.tree().OnMenuCommand(app::kCmdRegisterServer);
  }
  ShootWall(main);
  ShootTwoMonitorLayout(main);
  CloseMain();
  TearDown();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: halyard_shots OUT_DIR\n");
    return 2;
  }
  g_out = argv[1];
  Backdrop();
  Session session;
  return session.Run();
}
