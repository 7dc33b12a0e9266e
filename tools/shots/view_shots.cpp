// Pictures of the camera view for people to look at: one view, four docked
// views with a caption button's tooltip, full screen, the pop-up menu and a
// stored file with its seek window, each a PNG of the whole screen,
// against the simulator in this process.
//   view_shots.exe OUTPUT_FOLDER
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/view/tests/view_test_support.h"
#include "os/debug_log.h"

using namespace app::view;
using namespace app::view::testing;

namespace {

std::string g_folder;

bool Save(const char* name) {
  const std::string path = g_folder + "\\" + name;
  const bool ok = SaveScreen(path);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
  return ok;
}

// The menu runs its own modal loop: the picture is taken from a timer
// inside it, then the menu is dismissed.
void CALLBACK ShootMenu(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  KillTimer(hwnd, id);
  Save("view_menu.png");
  EndMenu();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: view_shots OUTPUT_FOLDER\n");
    return 2;
  }
  g_folder = WindowsPath(argv[1]);
  UseDefaultTexts();
  if (std::getenv("HALYARD_DEBUG_LOG")) DebugLogEnable(true);
  auto world = StartWorld();
  if (!world) return 1;
  ScriptedChooser chooser;
  chooser.next = g_folder + "\\view_shots_recording.mp4";
  FakeViewHost host(&chooser);
  auto port = [&](const char* id) { return world->camera(id)->port(); };
  auto streaming = [](CViewWindow* v) { return PumpUntil([&] { return v->Media()->path().FramesShown() > 20; }, 15000); };

  CViewWindow* gate = host.OpenDirect("Gate", port("CAM-320"));
  if (!gate || !streaming(gate)) return 1;
  world->Execute("viewers CAM-320 4");
  PumpFor(1500);
  Save("view_one.png");

  CViewWindow* yard = host.OpenDirect("Yard", port("CAM-176"));
  CViewWindow* dock = host.OpenDirect("Dock", port("CAM-320"));
  CViewWindow* hall = host.OpenDirect("Hall", port("CAM-176"));
  for (CViewWindow* v : {yard, dock, hall})
    if (!v || !streaming(v)) return 1;
  // The 176-wide cameras asked for QCIF; Sort Window gives every view the standard size.
  host.SortWindows();
  SendMessageW(dock->Window(), WM_COMMAND, 32777, 0);  // recording: REC and the R toggle
  PumpFor(1500);
  Save("view_four_docked.png");
  // The pointer resting on the recording view's R toggle: its tooltip.
  RECT toggle;
  GetWindowRect(GetDlgItem(dock->Window(), 1028), &toggle);
  SetCursorPos((toggle.left + toggle.right) / 2, (toggle.top + toggle.bottom) / 2);
  PumpFor(1500);
  Save("view_tooltip.png");
  SetCursorPos(1000, 740);

  SendMessageW(gate->Window(), WM_COMMAND, 32773, 0);
  PumpFor(1500);
  Save("view_full_screen.png");
  PostMessageW(gate->Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(800);

  SetTimer(gate->Window(), 0x5A5A, 1200, ShootMenu);
  POINT at = {200, 120};
  ClientToScreen(gate->PictureWindow(), &at);
  SendMessageW(gate->PictureWindow(), WM_RBUTTONUP, 0, MAKELPARAM(200, 120));
  PumpFor(500);
  host.CloseAll();
  PumpFor(300);

  // A stored file through the hosting server, with its seek window below it.
  const char* build = std::getenv("HALYARD_BINARY_DIR");
  if (build) host.program_dir = WindowsPath(std::string(build) + "/dist/Halyard");
  host.Core().hosting().Connect({"127.0.0.1", world->hosting()->port(), "demo", "demo"});
  if (!PumpUntil([&] { return !world->log().Lines("hosting RequestFileList").empty(); }, 10000)) return 1;
  app::ViewRequest request;
  request.kind = app::ViewRequest::Kind::kFile;
  request.camera_id = "CAM-320";
  request.file_name = "rec/one.mp4";
  CViewWindow* file = host.Open(request);
  if (!file || !streaming(file)) return 1;
  RECT r;
  GetWindowRect(file->Window(), &r);
  SetCursorPos(r.left, r.bottom + 6);
  SendMessageW(file->Window(), WM_COMMAND, 32779, 0);
  PumpFor(1200);
  Save("view_file_seek.png");
  std::fflush(stdout);
  PumpFor(3000);  // time for a look from outside (import -window root)
  host.CloseAll();
  world->Stop();
  return 0;
}
