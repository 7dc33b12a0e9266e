// Bollard.exe: finds devices, logs in to one and edits its network settings
// and user accounts. See command_line.h for the options.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "config_tool/command_line.h"
#include "config_tool/shell/bollard_context.h"
#include "config_tool/shell/device_list_dlg.h"
#include "os/socket.h"
#include "os/win32/message_box.h"
#include "os/win32/text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                        ICC_INTERNET_CLASSES | ICC_TAB_CLASSES |
                                                        ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  bollard::CMessageBoxSink sink;
  bollard::BollardContext context;
  context.instance = instance;
  context.sink = &sink;

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(win32::Narrow(argv[i]));
  LocalFree(argv);
  std::string error;
  if (bollard::ParseCommandLine(args, &context.options, &error) != 0) {
    win32::ShowMessageBox(nullptr,
                          error + "\n\nBollard.exe [--broadcast ADDRESS] [--discovery-port N] [--port N] "
                                  "[--local-port N] [--file-dir DIR]",
                          "Bollard", MB_OK | MB_ICONERROR);
    return 2;
  }

  if (!os::NetStartup()) {
    sink.ShowMessage("Windows 소켓 초기화에 실패하였습니다.");
    return 1;
  }

  bollard::CDeviceListDlg devices(context);
  devices.DoModal(nullptr);
  return 0;
}
