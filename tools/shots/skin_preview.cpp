// Shows the four skinned windows with sample contents on a desktop-like
// backdrop, for a look by eye and for screenshots (see shots.sh).
//   skin_preview DIST_DIR [SECONDS]
// Prints one line "window NAME X Y WIDTH HEIGHT" per window, then "ready"
// once everything is painted, and exits after SECONDS (default 10).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "skin/tests/skin_test_resource.h"
#include "skin/tests/win32_support.h"

namespace {

using skin::testing::Pump;
using skin::testing::RecordingMessages;
using skin::testing::SkinnedDialog;

// A plain window behind the others, painted like a quiet desktop, so the
// skins' rounded outlines show against something.
LRESULT CALLBACK BackdropProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    for (int y = 0; y < r.bottom; y += 4) {
      int shade = 0x5A - y * 0x28 / r.bottom;
      RECT band{0, y, r.right, y + 4};
      HBRUSH brush = CreateSolidBrush(RGB(shade, shade + 0x10, shade + 0x22));
      FillRect(dc, &band, brush);
      DeleteObject(brush);
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND CreateBackdrop() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = BackdropProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"SkinPreviewBackdrop";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                              GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const wchar_t* text) {
  TVINSERTSTRUCTW item{};
  item.hParent = parent;
  item.hInsertAfter = TVI_LAST;
  item.item.mask = TVIF_TEXT;
  item.item.pszText = const_cast<wchar_t*>(text);
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void FillMainWindow(SkinnedDialog& main) {
  HWND tree = main.Item(1031);
  HTREEITEM hosting = AddTreeItem(tree, TVI_ROOT, L"Hosting Server");
  HTREEITEM office = AddTreeItem(tree, hosting, L"Office (Online)");
  AddTreeItem(tree, office, L"CAM-DEMO-1");
  AddTreeItem(tree, office, L"CAM-DEMO-2");
  HTREEITEM cameras = AddTreeItem(tree, TVI_ROOT, L"Camera");
  AddTreeItem(tree, cameras, L"Warehouse door");
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hosting));
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(office));
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(cameras));
  EnableWindow(main.Item(1003), FALSE);  // Logout: nothing to log out of yet
  SendMessageW(main.Item(1002), WM_MOUSEHOVER, 0, 0);
  CheckDlgButton(main.hwnd(), 1009, BST_CHECKED);
}

void FillLoginWindow(SkinnedDialog& login) {
  SetDlgItemTextW(login.hwnd(), 1027, L"demo");
  SetDlgItemTextW(login.hwnd(), 1028, L"demo");
  CheckDlgButton(login.hwnd(), 1095, BST_CHECKED);
}

void FillFileWindow(SkinnedDialog& files) {
  HWND tree = files.Item(1031);
  HTREEITEM rec = AddTreeItem(tree, TVI_ROOT, L"rec");
  AddTreeItem(tree, rec, L"cam1");
  AddTreeItem(tree, rec, L"cam2");
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(rec));
  HWND list = files.Item(1017);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 130;
  column.pszText = const_cast<wchar_t*>(L"File Name");
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  column.cx = 130;
  column.pszText = const_cast<wchar_t*>(L"Date/Time");
  SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  const wchar_t* rows[][2] = {{L"0800.mp4", L"01 : 00 : 00"}, {L"0900.mp4", L"00 : 59 : 12"},
                              {L"1000.mp4", L"1 - 01 : 00 : 00"}};
  for (int i = 0; i < 3; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<wchar_t*>(rows[i][0]);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(rows[i][1]);
    SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
  }
}

struct Shown {
  const char* name;
  int template_id;
  const skin::SkinnedWindow& skin;
  int x, y;
  void (*fill)(SkinnedDialog&);
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: skin_preview DIST_DIR [SECONDS]\n");
    return 2;
  }
  const std::string dist = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  CreateBackdrop();

  const Shown shown[] = {
      {"main", IDD_TEST_MAIN, skin::kMainWindowSkin, 40, 40, FillMainWindow},
      {"login", IDD_TEST_LOGIN, skin::kLoginSkin, 330, 40, FillLoginWindow},
      {"files", IDD_TEST_FILES, skin::kFileWindowSkin, 330, 250, FillFileWindow},
      {"seek", IDD_TEST_SEEK, skin::kSeekSliderSkin, 330, 600, nullptr},
  };
  RecordingMessages messages;
  std::vector<std::unique_ptr<SkinnedDialog>> windows;
  for (const Shown& s : shown) {
    auto dialog = std::make_unique<SkinnedDialog>(s.template_id, s.skin.items, dist + s.skin.skin_file, messages);
    HWND hwnd = dialog->Create(nullptr);
    SetWindowPos(hwnd, HWND_TOP, s.x, s.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    if (s.fill) s.fill(*dialog);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    RECT r;
    GetWindowRect(hwnd, &r);
    std::printf("window %s %ld %ld %ld %ld\n", s.name, r.left, r.top, r.right - r.left, r.bottom - r.top);
    windows.push_back(std::move(dialog));
  }
  HWND seek_slider = windows[3]->Item(1041);
  SendMessageW(seek_slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageW(seek_slider, TBM_SETPOS, TRUE, 35);

  for (const std::string& m : messages.shown) std::printf("message %s\n", m.c_str());
  const DWORD start = GetTickCount();
  bool ready = false;
  while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
    Pump();
    if (!ready && GetTickCount() - start > 1500) {
      std::printf("ready\n");
      std::fflush(stdout);
      ready = true;
    }
    Sleep(20);
  }
  return messages.shown.empty() ? 0 : 1;
}
