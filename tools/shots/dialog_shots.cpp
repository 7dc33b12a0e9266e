// Pictures of the camera's dialogs for people to look at: every page of the
// camera setup sheet, the preset panel, the preset setup dialog with rows,
// the position and number dialogs and the number dialog's message box, each
// a BMP of the window, against the simulator in this process.
//   dialog_shots.exe OUTPUT_FOLDER      (dialogs.sh converts them to PNG)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "dialogs/camera_setup/setup_fields.h"
#include "dialogs/camera_setup/win32/camera_setup_sheet.h"
#include "dialogs/preset/win32/preset_dialog.h"
#include "dialogs/preset/win32/preset_number_dialog.h"
#include "dialogs/preset/win32/preset_position_dialog.h"
#include "dialogs/preset/win32/preset_resource.h"
#include "dialogs/preset/win32/preset_setup_dialog.h"
#include "dialogs/tests/camera_rig.h"
#include "os/win32/list_view.h"

using namespace dialogs;
using namespace dialogs::testing;

namespace {

std::string g_folder;

void Shot(HWND hwnd, const char* name) {
  const bool ok = win32::testing::SaveWindowShot(hwnd, g_folder, name);
  std::printf("%s %s\\%s.bmp\n", ok ? "wrote" : "could not write", g_folder.c_str(), name);
  ShowWindow(hwnd, SW_HIDE);
}

// A record with three presets and the fields the server page shows (the
// addresses, loopback ones, are only shown: the sheet is never applied,
// nothing is sent).
net::CameraSetupInfo ShownRecord() {
  net::CameraSetupInfo info = net::CameraSetupInfo::Defaults();
  info.SetPreset(0, {"door", 10, -5, 3, 10, true});
  info.SetPreset(1, {"yard", 100, 20, 0, 30, false});
  info.SetPreset(2, {"gate", -40, 7, 2, 5, true});
  info.SetPresetCount(3);
  dialogs::setup::PutFieldText(info, dialogs::setup::kDdnsIpText, dialogs::setup::kDdnsIpWidth, "127.0.0.20");
  const uint8_t host[4] = {127, 0, 0, 10};
  std::memcpy(info.data() + dialogs::setup::kHostServerIp, host, 4);
  dialogs::setup::PutU32(info, dialogs::setup::kPanTiltDevices, 21);
  return info;
}

void ShootSetupSheet(CameraRig& rig) {
  CCameraSetupSheet sheet(GetModuleHandleW(nullptr), rig.node().setup_info());
  HWND hwnd = sheet.Create(rig.window(), true);
  const char* names[] = {"sheet_video", "sheet_channel", "sheet_audio", "sheet_color",
                         "sheet_pantilt", "sheet_sensor", "sheet_server"};
  for (int page = 0; page < CCameraSetupSheet::kPageCount; ++page) {
    PropSheet_SetCurSel(hwnd, nullptr, page);
    win32::testing::SaveWindowShot(hwnd, g_folder, names[page]);
  }
  DestroyWindow(hwnd);
}

void ShootPresetDialogs(CameraRig& rig) {
  CPresetDialog panel(GetModuleHandleW(nullptr), rig.node().Control());
  panel.Open(rig.window());
  Shot(panel.hwnd(), "preset_panel");
  CPresetSetupDialog setup(GetModuleHandleW(nullptr), rig.node().Control(), rig.node().setup_info());
  setup.Create(rig.window());
  win32::ListView list;
  list.Attach(GetDlgItem(setup.hwnd(), IDC_PRESET_LIST));
  list.Select(1);
  Shot(setup.hwnd(), "preset_setup");
  PositionFields fields;
  fields.serial = 4;
  fields.location = "정문 (front gate)";
  CPresetPositionDialog position(GetModuleHandleW(nullptr), fields);
  position.Create(nullptr);
  Shot(position.hwnd(), "preset_position");
  CPresetNumberDialog number(GetModuleHandleW(nullptr));
  number.Create(nullptr);
  Shot(number.hwnd(), "preset_number");
  // A number above the maximum: the message box with its built-in text.
  ModalDriver driver(std::function<bool()>([] {
    HWND box = FindWindowW(L"#32770", L"Halyard");
    if (!box) return false;
    win32::testing::SaveWindowShot(box, g_folder, "preset_number_message");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  }));
  ShowWindow(number.hwnd(), SW_SHOW);
  SetDlgItemTextW(number.hwnd(), IDC_PRESET_NUMBER, L"40");
  SendMessageW(number.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(number.hwnd(), IDOK)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialog_shots OUTPUT_FOLDER\n");
    return 2;
  }
  g_folder = argv[1];
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_INTERNET_CLASSES |
                                                        ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  SettingsFile settings("");
  const net::CameraSetupInfo record = ShownRecord();
  CameraRig rig(&record);
  if (!rig.Connect()) {
    std::fprintf(stderr, "dialog_shots: the simulated camera's record never arrived\n");
    return 1;
  }
  ShootSetupSheet(rig);
  ShootPresetDialogs(rig);
  return 0;
}
