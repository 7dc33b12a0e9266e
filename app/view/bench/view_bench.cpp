// N camera views drawing live 640x480 pictures from halyard-sim --load N:
// pictures drawn per second per view, the process's CPU and which threads
// spent it, units the views' rings discarded, where a picture's time goes
// on its media thread (decode, post filter, overlay, conversion, blit) and
// how long each picture took from its arrival to the end of its blit.
// With --wall GRID the cameras show in the cells of video walls instead (as
// many walls as they need), each cell 640x480 or --cell WxH (and its
// label), as Halyard's walls link them.
// A benchmark that prints figures; run by bench.sh.
// With --minimise N the last N views are minimised once their pictures
// came: what pictures nobody sees still cost.
//   view_bench.exe [--seconds S] [--gdi | --directdraw] [--wall GRID [--cell WxH]] [--minimise N] CAMERA_PORT...
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/node_slots.h"
#include "app/storage/win32/plan_link.h"
#include "app/view/tests/view_test_support.h"
#include "app/wall/win32/wall_window.h"
#include "settings/win32/viewer_registry.h"
#include "os/socket.h"
#include "os/thread_name.h"
#include "present/i420_convert.h"
#include "present/i420_scale.h"
#include "present/window_renderer.h"
#include "record/m4v_headers.h"

using namespace app::view;
using namespace app::view::testing;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& f) { return (uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 1e7; };
  return value(kernel) + value(user);
}

// The process's memory now and at its peak, in MiB, as a line of the summary.
std::string MemoryLine() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return "";
  char line[160];
  std::snprintf(line, sizeof line, "  memory: working set %.0f MiB (peak %.0f MiB), private %.0f MiB\n",
                double(counters.WorkingSetSize) / 1048576.0, double(counters.PeakWorkingSetSize) / 1048576.0,
                double(counters.PagefileUsage) / 1048576.0);
  return line;
}

double FiletimeSeconds(const FILETIME& f) { return double(uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 1e7; }

// The name a thread was given (os::NameCurrentThread), or "" for threads
// nobody named: the window thread names itself; Wine's own threads (sound
// mixing, the display driver) stay unnamed.
std::string ThreadName(HANDLE thread) {
  using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  static const auto get = reinterpret_cast<GetDescription>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  PWSTR text = nullptr;
  if (!get || FAILED(get(thread, &text)) || !text) return "";
  std::string name;
  for (const wchar_t* c = text; *c; ++c) name.push_back(char(*c));
  LocalFree(text);
  return name;
}

// CPU seconds of every live thread of this process, by thread ID, with its name.
struct ThreadCpu {
  std::string name;
  double seconds = 0;
};
std::map<DWORD, ThreadCpu> ThreadTimes() {
  std::map<DWORD, ThreadCpu> times;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return times;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user))
      times[entry.th32ThreadID] = {ThreadName(thread), FiletimeSeconds(kernel) + FiletimeSeconds(user)};
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return times;
}

// CPU seconds between two snapshots, summed per thread name ("" together).
std::map<std::string, double> CpuByName(const std::map<DWORD, ThreadCpu>& before,
                                        const std::map<DWORD, ThreadCpu>& after) {
  std::map<std::string, double> by_name;
  for (const auto& [id, now] : after) {
    const auto then = before.find(id);
    by_name[now.name] += now.seconds - (then == before.end() ? 0.0 : then->second.seconds);
  }
  return by_name;
}

// Decoding cost of the load stream on this machine: milliseconds per picture.
double DecodeMsPerPicture() {
  std::ifstream in(std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media/test_640x480.m4v", std::ios::binary);
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  record::M4vSpan header{};
  std::vector<record::M4vSpan> pictures;
  record::SplitM4vStream(data.data(), data.size(), &header, &pictures);
  if (pictures.empty()) return 0;
  codec::VideoDecoder decoder;
  decoder.SetSize(320, 240);
  decoder.SetPostFilter(true, true);
  decoder.Decode(data.data() + header.offset, header.length);
  std::vector<uint8_t> out(640 * 480 * 3 / 2);
  const codec::DecodedPicture picture{out.data(), 640, 480};
  const Clock::time_point start = Clock::now();
  size_t n = 0;
  for (int round = 0; round < 3; ++round)
    for (const auto& p : pictures) {
      decoder.Decode(data.data() + p.offset, p.length);
      decoder.ProducePicture(picture);
      ++n;
    }
  return Seconds(Clock::now() - start) * 1000.0 / double(n);
}

// Conversion cost into the renderer's surface format for one 640x480 picture.
double ConvertMsPerPicture(uint32_t mode) {
  present::ConvertFn convert = present::ConverterFor(mode);
  if (!convert) return 0;
  std::vector<uint8_t> in(640 * 480 * 3 / 2, 100), out(640 * 480 * 4);
  const int pitch = mode == present::kModeDib ? 640 * 3 : 640 * 4;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < 200; ++i) convert(in.data(), out.data(), 640, 480, pitch);
  return Seconds(Clock::now() - start) * 1000.0 / 200;
}

// Stretching one picture (bilinear) from w x h onto the area of a view
// that shows it larger: what a QCIF camera at 1x or a 1x camera at 2x costs
// beyond the pictures that need none.
double StretchMsPerPicture(int w, int h, int to_w, int to_h) {
  std::vector<uint8_t> in(size_t(w) * h * 3 / 2), out;
  for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 7);
  const codec::DecodedPicture picture{in.data(), w, h};
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < 200; ++i) present::ScaleI420(picture, to_w, to_h, &out);
  return Seconds(Clock::now() - start) * 1000.0 / 200;
}

// Without either option the views choose their drawing path as the
// program does when the user has not (they time their pictures first).
enum class Path { kTheirOwn, kDirectDraw, kGdi };

// A wall whose cells link the load cameras "LOAD-1"... as Halyard's do,
// keeping each link's media path for the figures.
class BenchWall : public app::wall::WallWindowOwner {
 public:
  BenchWall(FakeViewHost& host, const std::vector<uint16_t>& ports) : links_(Context(host, ports)) {}
  std::unique_ptr<app::storage::PlanLink> OpenWallLink(const app::wall::WallCamera& camera,
                                                       app::storage::ShownLinkOptions options,
                                                       std::string* why) override {
    auto link = links_.OpenShown({false, camera.name}, std::move(options), why);
    if (link) paths.push_back(&link->media().path());
    return link;
  }
  void OpenViewOf(const app::wall::WallCamera&) override {}
  void WallChanged(app::wall::CWallWindow*) override {}
  void WallClosing(app::wall::CWallWindow*) override {}
  std::vector<node::NodeMediaPath*> paths;

 private:
  static app::storage::PlanLinkContext Context(FakeViewHost& host, std::vector<uint16_t> ports) {
    app::storage::PlanLinkContext context;
    context.core = &host.Core();
    context.find_entry = [ports](const std::string& name, settings::ServerRecord* entry) {
      const size_t n = static_cast<size_t>(std::atoi(name.c_str() + 5));  // "LOAD-n"
      if (n < 1 || n > ports.size()) return false;
      *entry = {name, "127.0.0.1", ports[n - 1], settings::kCameraServerType, false, ""};
      return true;
    };
    return context;
  }
  app::storage::Win32PlanLinks links_;
};

// The cameras on walls of GRID side by side from the screen's top left,
// each cell the given picture size and its label: pictures per second per
// cell, CPU and the time from a picture's arrival to the end of its blit.
int RunWall(const std::string& grid, const std::vector<uint16_t>& ports, int seconds, Path path, int cell_width,
            int cell_height) {
  app::wall::WallPattern pattern;
  if (!app::wall::ParseWallPattern(grid, &pattern)) {
    std::fprintf(stderr, "view_bench: --wall takes a grid such as 4x4, not %s\n", grid.c_str());
    return 2;
  }
  // As many walls of the grid as the cameras need, side by side.
  std::vector<app::wall::WallSetup> setups;
  for (size_t first = 0; first < ports.size();) {
    app::wall::WallSetup setup;
    setup.SetPattern(pattern);
    for (size_t i = 0; i < setup.cells.size() && first < ports.size(); ++i, ++first) {
      const std::string name = "LOAD-" + std::to_string(first + 1);
      settings::SaveLogin(name, {"demo", "demo"});
      setup.cells[i] = {false, name};
    }
    setups.push_back(std::move(setup));
  }
  if (path != Path::kTheirOwn) settings::SaveDrawThroughGdi(path == Path::kGdi);
  FakeViewHost host(nullptr, false);
  BenchWall owner(host, ports);
  const int height = (cell_height + app::wall::WallCell::kLabelHeight) * pattern.rows;
  const int width = cell_width * pattern.columns;
  std::vector<std::unique_ptr<app::wall::CWallWindow>> walls;
  for (const app::wall::WallSetup& setup : setups) {
    const int left = int(walls.size()) * (width + 8);
    walls.push_back(std::make_unique<app::wall::CWallWindow>(owner, setup));
    if (!walls.back()->Open({{left, 0, left + width, height}})) return 1;
  }
  const auto live = [&] {
    for (size_t w = 0; w < walls.size(); ++w)
      for (int i = 0; i < walls[w]->cell_count(); ++i)
        if (!setups[w].cells[size_t(i)].empty() && walls[w]->cell(i).state() != app::wall::CellState::kLive) return false;
    return true;
  };
  // The walls tick once a second, as Halyard's main window makes them: cells
  // that time their drawing paths take the one chosen then.
  const auto pump_ticking = [&](int ms, const std::function<bool()>& done) {
    for (int waited = 0; waited < ms; waited += 1000) {
      if (done && done()) return true;
      PumpFor(1000);
      for (auto& wall : walls) wall->Tick();
    }
    return done && done();
  };
  if (!pump_ticking(90000, live)) {
    int cells = 0, live_cells = 0;
    for (auto& wall : walls)
      for (int i = 0; i < wall->cell_count(); ++i) {
        cells += 1;
        live_cells += wall->cell(i).state() == app::wall::CellState::kLive;
      }
    std::fprintf(stderr, "view_bench: %d of %d cells had pictures in 90 s\n", live_cells, cells);
    return 1;
  }
  pump_ticking(path == Path::kTheirOwn ? 10000 : 3000, nullptr);
  std::vector<uint64_t> shown0;
  std::vector<node::PictureTiming::Totals> timing0;
  uint64_t discarded0 = 0;
  for (node::NodeMediaPath* p : owner.paths) {
    shown0.push_back(p->FramesShown());
    timing0.push_back(p->Timing().Read());
    discarded0 += p->LiveRing().Discarded() + p->AudioRing().Discarded();
  }
  const std::map<DWORD, ThreadCpu> threads0 = ThreadTimes();
  const double cpu0 = ProcessCpuSeconds();
  const Clock::time_point t0 = Clock::now();
  pump_ticking((seconds + 5) * 1000, [&] { return Clock::now() - t0 >= std::chrono::seconds(seconds); });
  const double wall_seconds = Seconds(Clock::now() - t0);
  const double cpu = ProcessCpuSeconds() - cpu0;
  const std::map<std::string, double> cpu_by_thread = CpuByName(threads0, ThreadTimes());
  double min_rate = 1e9, max_rate = 0, sum_rate = 0;
  node::PictureTiming::Totals timing;
  uint64_t discarded = 0;
  for (size_t i = 0; i < owner.paths.size(); ++i) {
    discarded += owner.paths[i]->LiveRing().Discarded() + owner.paths[i]->AudioRing().Discarded();
    const double rate = double(owner.paths[i]->FramesShown() - shown0[i]) / wall_seconds;
    min_rate = std::min(min_rate, rate);
    max_rate = std::max(max_rate, rate);
    sum_rate += rate;
    timing.Merge(owner.paths[i]->Timing().Read().Since(timing0[i]));
  }
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const unsigned cores = std::max<unsigned>(1, system.dwNumberOfProcessors);
  std::printf("summary: %zu walls of %s, %zu cameras in cells of %dx%d for %.0f s, drawing %s\n", walls.size(),
              grid.c_str(), owner.paths.size(), cell_width, cell_height, wall_seconds,
              path == Path::kGdi ? "through GDI" : path == Path::kDirectDraw ? "through DirectDraw" : "as chosen");
  std::printf("  pictures drawn per second per cell: min %.1f, mean %.1f, max %.1f\n", min_rate,
              sum_rate / double(std::max<size_t>(1, owner.paths.size())), max_rate);
  std::printf("  cpu of the process: %.0f%% of one core (%.0f%% of %u cores)\n", 100.0 * cpu / wall_seconds,
              100.0 * cpu / wall_seconds / cores, cores);
  std::printf("  arrival to the end of the blit: median %.1f ms, 99th percentile %.1f ms (%llu pictures)\n",
              timing.LatencyMs(0.5), timing.LatencyMs(0.99), static_cast<unsigned long long>(timing.pictures));
  std::printf("  units discarded by the cells' rings (video and sound): %llu\n",
              static_cast<unsigned long long>(discarded - discarded0));
  std::printf("%s", MemoryLine().c_str());
  std::printf("  cpu by thread (%% of one core):");
  for (const auto& [name, thread_seconds] : cpu_by_thread)
    std::printf(" %s %.0f%%;", name.empty() ? "unnamed (Wine's sound and display threads)" : name.c_str(),
                100.0 * thread_seconds / wall_seconds);
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  Path path = Path::kTheirOwn;
  std::vector<uint16_t> ports;
  std::string wall_grid;
  int cell_width = 640, cell_height = 480;  // a wall cell's picture area
  size_t minimised = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--seconds" && i + 1 < argc)
      seconds = std::atoi(argv[++i]);
    else if (a == "--wall" && i + 1 < argc)
      wall_grid = argv[++i];
    else if (a == "--cell" && i + 1 < argc && std::sscanf(argv[i + 1], "%dx%d", &cell_width, &cell_height) == 2)
      ++i;
    else if (a == "--minimise" && i + 1 < argc)
      minimised = static_cast<size_t>(std::atoi(argv[++i]));
    else if (a == "--gdi")
      path = Path::kGdi;
    else if (a == "--directdraw")
      path = Path::kDirectDraw;
    else
      ports.push_back(static_cast<uint16_t>(std::atoi(argv[i])));
  }
  if (ports.empty()) {
    std::fprintf(stderr, "usage: view_bench [--seconds S] [--gdi | --directdraw] [--wall GRID [--cell WxH]] CAMERA_PORT...\n");
    return 2;
  }
  if (!wall_grid.empty()) return RunWall(wall_grid, ports, seconds, path, cell_width, cell_height);
  os::NetStartup();
  os::NameCurrentThread("window");
  UseDefaultTexts();
  FakeViewHost host(nullptr, true);
  std::vector<CViewWindow*> views;
  for (size_t i = 0; i < ports.size(); ++i) {
    CViewWindow* v = host.OpenDirect("LOAD-" + std::to_string(i + 1), ports[i]);
    if (!v) {
      std::fprintf(stderr, "view_bench: view %zu did not open (views take one of %d node slots)\n",
                   i + 1, app::NodeSlotTable::kSlots);
      return 1;
    }
    if (path != Path::kTheirOwn) v->SetDrawThroughGdi(path == Path::kGdi);
    views.push_back(v);
  }
  const auto streaming = [](CViewWindow* v) { return v->Media()->path().FramesShown() > 0; };
  if (!PumpUntil([&] { return std::all_of(views.begin(), views.end(), streaming); }, 90000)) {
    const long live = std::count_if(views.begin(), views.end(), streaming);
    std::fprintf(stderr, "view_bench: %ld of %zu views got pictures in 90 s\n", live, views.size());
    return 1;
  }
  PumpFor(2000);  // the views take the screen size of their pictures
  int picture_width = 0, picture_height = 0;
  views[0]->Media()->path().WithPicture([&](const codec::DecodedPicture& p) {
    picture_width = p.width;
    picture_height = p.height;
  });
  // A grid of the views' frames, none covering another (the screen must hold them).
  RECT frame{};
  GetWindowRect(views[0]->Window(), &frame);
  const int step_x = frame.right - frame.left + 4, step_y = frame.bottom - frame.top + 4;
  const int columns = std::max(1, GetSystemMetrics(SM_CXSCREEN) / step_x);
  for (size_t i = 0; i < views.size(); ++i)
    SetWindowPos(views[i]->Window(), nullptr, int(i % columns) * step_x, int(i / columns) * step_y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (size_t i = views.size() - std::min(minimised, views.size()); i < views.size(); ++i)
    ShowWindow(views[i]->Window(), SW_MINIMIZE);
  // Views choosing their path try each for three seconds first.
  PumpFor(path == Path::kTheirOwn ? 10000 : 3000);

  struct Start {
    uint64_t shown, video_discarded, audio_discarded;
    OverlaySink::Times times;
    node::PictureTiming::Totals timing;
    uint64_t convert_us;
    uint64_t undecoded;
    uint64_t wake_ups;
  };
  std::vector<Start> start;
  for (CViewWindow* v : views)
    start.push_back({v->Media()->path().FramesShown(), v->Media()->path().LiveRing().Discarded(),
                     v->Media()->path().AudioRing().Discarded(), v->binding().overlay_sink()->times(),
                     v->Media()->path().Timing().Read(), v->binding().video()->windowRenderer().ConvertMicroseconds(),
                     v->Media()->path().PicturesUndecoded(), v->Media()->path().Worker().WakeUps()});
  const std::map<DWORD, ThreadCpu> threads0 = ThreadTimes();
  const double cpu0 = ProcessCpuSeconds();
  const Clock::time_point t0 = Clock::now();
  for (int s = 1; s <= seconds; ++s) {
    PumpUntil([&] { return Clock::now() - t0 >= std::chrono::seconds(s); }, 1100);
    uint64_t shown = 0;
    for (size_t i = 0; i < views.size(); ++i) shown += views[i]->Media()->path().FramesShown() - start[i].shown;
    std::printf("%3ds cpu %5.1f%% %6.1f pictures/s per view\n", s,
                100.0 * (ProcessCpuSeconds() - cpu0) / Seconds(Clock::now() - t0),
                double(shown) / Seconds(Clock::now() - t0) / double(views.size()));
    std::fflush(stdout);
  }
  const double wall = Seconds(Clock::now() - t0);
  const double cpu = ProcessCpuSeconds() - cpu0;
  const std::map<std::string, double> cpu_by_thread = CpuByName(threads0, ThreadTimes());
  double min_rate = 1e9, max_rate = 0, sum_rate = 0, compose_ms = 0, draw_ms = 0;
  uint64_t video_discarded = 0, audio_discarded = 0, pictures = 0, convert_us = 0, undecoded = 0, wake_ups = 0;
  node::PictureTiming::Totals timing;
  for (size_t i = 0; i < views.size(); ++i) {
    node::NodeMediaPath& p = views[i]->Media()->path();
    const double rate = double(p.FramesShown() - start[i].shown) / wall;
    min_rate = std::min(min_rate, rate);
    max_rate = std::max(max_rate, rate);
    sum_rate += rate;
    video_discarded += p.LiveRing().Discarded() - start[i].video_discarded;
    audio_discarded += p.AudioRing().Discarded() - start[i].audio_discarded;
    const OverlaySink::Times t = views[i]->binding().overlay_sink()->times();
    pictures += t.pictures - start[i].times.pictures;
    compose_ms += Seconds(t.compose - start[i].times.compose) * 1000.0;
    draw_ms += Seconds(t.total - start[i].times.total) * 1000.0;
    timing.Merge(p.Timing().Read().Since(start[i].timing));
    convert_us += views[i]->binding().video()->windowRenderer().ConvertMicroseconds() - start[i].convert_us;
    undecoded += p.PicturesUndecoded() - start[i].undecoded;
    wake_ups += p.Worker().WakeUps() - start[i].wake_ups;
  }
  const uint32_t mode = views[0]->binding().video()->windowRenderer().Mode();
  const std::string memory = MemoryLine();
  const double per_picture_draw = pictures ? draw_ms / double(pictures) : 0;
  const double per_picture_compose = pictures ? compose_ms / double(pictures) : 0;
  host.CloseAll();
  PumpFor(1000);
  // Decoding and conversion measured alone, once the views are gone: under
  // load they would count the time other threads held the cores.
  const double decode = DecodeMsPerPicture();
  const double convert = ConvertMsPerPicture(mode);
  std::printf("summary: %zu views of %dx%d for %.0f s, renderer %s, sound %s\n", views.size(), picture_width,
              picture_height, wall,
              present::ModeName(mode).c_str(), host.SoundOutput() ? "on" : "off");
  std::printf("  pictures drawn per second per view: min %.1f, mean %.1f, max %.1f\n", min_rate,
              sum_rate / double(views.size()), max_rate);
  if (minimised > 0)
    std::printf("  %zu views minimised: %llu pictures received and not decoded\n", std::min(minimised, views.size()),
                static_cast<unsigned long long>(undecoded));
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const unsigned cores = std::max<unsigned>(1, system.dwNumberOfProcessors);
  std::printf("  cpu of the process: %.0f%% of one core (%.0f%% of %u cores)\n", 100.0 * cpu / wall,
              100.0 * cpu / wall / cores, cores);
  std::printf("%s", memory.c_str());
  std::printf("  units discarded by the views' rings: video %llu, audio %llu\n",
              static_cast<unsigned long long>(video_discarded), static_cast<unsigned long long>(audio_discarded));
  std::printf("  per picture, measured alone: decode %.2f ms, conversion %.2f ms\n", decode, convert);
  std::printf("  stretching one picture, measured alone: 176x144 to 320x240 %.2f ms, 320x240 to 640x480 %.2f ms\n",
              StretchMsPerPicture(176, 144, 320, 240), StretchMsPerPicture(320, 240, 640, 480));
  std::printf("  per picture, drawing on the view's media thread (wall time, waits included): %.2f ms, "
              "of it overlay %.2f ms\n",
              per_picture_draw, per_picture_compose);
  // The media threads' own times per picture, waits for the cores included.
  const double n = timing.pictures ? double(timing.pictures) : 1.0;
  const double show_ms = double(timing.show_us) / 1000.0 / n, convert_ms = double(convert_us) / 1000.0 / n;
  std::printf("  per picture on its media thread (wall): decode %.2f ms, post filter and copy %.2f ms, overlay %.2f ms, "
              "conversion %.2f ms, blit and the rest of drawing %.2f ms\n",
              double(timing.decode_us) / 1000.0 / n, double(timing.produce_us) / 1000.0 / n, per_picture_compose,
              convert_ms, std::max(0.0, show_ms - per_picture_compose - convert_ms));
  std::printf("  arrival to the end of the blit: median %.1f ms, 99th percentile %.1f ms (%llu pictures)\n",
              timing.LatencyMs(0.5), timing.LatencyMs(0.99), static_cast<unsigned long long>(timing.pictures));
  std::printf("  media worker wake-ups: %.2f per picture shown\n", pictures ? double(wake_ups) / double(pictures) : 0.0);
  std::printf("  cpu by thread (%% of one core):");
  for (const auto& [name, seconds] : cpu_by_thread)
    std::printf(" %s %.0f%%;", name.empty() ? "unnamed (Wine's sound and display threads)" : name.c_str(),
                100.0 * seconds / wall);
  std::printf("\n");
  std::printf("  per second: decoding needs %.0f%% of one core, conversion %.0f%%; the media threads together "
              "spend %.0f%% of a second drawing\n",
              decode * sum_rate / 10.0, convert * sum_rate / 10.0, per_picture_draw * sum_rate / 10.0);
  return 0;
}
