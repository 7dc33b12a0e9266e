// Halyard.exe: the camera viewer and recorder. See start_options.h for the
// command line.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/halyard_app.h"
#include "os/win32/text.h"

namespace {

// Until the camera view window joins the program, no view opens.
class NoViews : public app::ViewFactory {
 public:
  std::unique_ptr<app::CameraView> Open(app::ViewHost&, const app::ViewRequest&) override { return nullptr; }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(win32::Narrow(argv[i]));
  LocalFree(argv);
  NoViews factory;  // the camera view window's factory replaces this
  return app::RunHalyard(instance, args, factory);
}
