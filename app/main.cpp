// Halyard.exe: the camera viewer and recorder. See start_options.h for the
// command line.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/halyard_app.h"
#include "app/view/view_factory.h"
#include "os/win32/text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(win32::Narrow(argv[i]));
  LocalFree(argv);
  std::unique_ptr<app::ViewFactory> views = app::view::MakeViewFactory(instance);
  return app::RunHalyard(instance, args, *views);
}
