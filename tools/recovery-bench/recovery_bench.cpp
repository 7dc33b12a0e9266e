// recovery-bench [--cameras N]: N cameras of halyard-sim, each watched by a
// direct view and a relayed one kept reconnecting, through a schedule of
// faults (camera server restart, connection cut, stall on an open
// connection, hosting server restart). For every fault it prints, per view,
// the seconds from the moment the cause was gone to the next picture, and
// at the end the worst and the median. Goal on 16 cameras: every fault
// healed, worst under 12 s.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/program_core.h"
#include "cli_runtime.h"
#include "hosting/hosting_service.h"
#include "node/link/node_window.h"
#include "os/clock.h"
#include "os/socket.h"
#include "world.h"

namespace {

// Counts pictures only: no decoding, the link is what is measured.
class PictureClock : public node::MediaConsumer {
 public:
  void Reset() override {}
  void StartWorker() override {}
  void StopWorker() override {}
  void DeliverMedia(const net::MediaData& m) override {
    if (m.kind != net::kMediaVideoFrame) return;
    const uint64_t now = os::MonotonicMs();
    last_ms = now;
    uint64_t none = 0;
    if (now > mark) first_after.compare_exchange_strong(none, now);
  }
  // From `at` on, the first picture's time is kept.
  void Mark(uint64_t at) {
    first_after = 0;
    mark = at;
  }
  void StatisticsTick() override {}
  void StopRecording() override {}
  void LinkStateChanged(bool, bool) override {}
  std::atomic<uint64_t> last_ms{0};
  std::atomic<uint64_t> mark{~uint64_t{0}}, first_after{0};
};

struct View {
  std::string camera;
  bool relay = false;
  PictureClock clock;
  std::unique_ptr<node::CNodeWindow> node;
};

struct Fault {
  std::string name;
  bool relay;                  // measured on the relayed views, else the direct ones
  std::string command;         // for each camera (CAM replaced), or once
  bool per_camera;
  int cause_ms;                // how long after the command the cause is gone
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int cameras = 16;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--cameras") cameras = std::max(1, std::atoi(argv[i + 1]));
  os::NetStartup();

  std::vector<std::string> args = {"--hosting-port", "0", "--user", "demo:demo"};
  for (int i = 1; i <= cameras; ++i) {
    args.push_back("--camera");
    args.push_back("CAM-" + std::to_string(i) + ":0:test_320x240.m4v");
  }
  sim::WorldConfig config;
  config.media_dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
  std::string error;
  if (!sim::ParseWorldOptions(args, &config, &error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
  sim::World world(config);
  if (!world.Start(&error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;

  cli::Runtime runtime;
  constexpr os::WindowHandle kMain = 1;
  app::ProgramCore core(runtime, {});
  hosting::HostingService& hosting = core.MakeHosting(kMain);
  hosting::HostEventQueue& events = core.events();
  hosting.SetHostReconnect(true);
  hosting.Start();
  bool logged_in = false;
  runtime.SetHandler(kMain, [&](uint32_t m, uintptr_t, intptr_t) {
    hosting::HostEvent e;
    while (m == os::kWmHostEvent && events.Pop(&e)) logged_in |= hosting::Is<hosting::HostLoggedIn>(e);
  });
  hosting.Connect({"127.0.0.1", world.hosting()->port(), "demo", "demo"});
  if (!runtime.RunUntil([&] { return logged_in; }, 20000)) return std::fprintf(stderr, "no hosting login\n"), 1;

  std::vector<std::unique_ptr<View>> views;
  for (int i = 1; i <= cameras; ++i) {
    for (bool relay : {false, true}) {
      auto v = std::make_unique<View>();
      v->camera = "CAM-" + std::to_string(i);
      v->relay = relay;
      app::NodeSeat seat;
      seat.poster = &runtime;
      seat.timers = &runtime;
      seat.messages = &runtime;
      seat.self = 100 + views.size();
      seat.main_window = kMain;
      seat.parent = kMain;
      seat.index = static_cast<int>(views.size()) % 33;
      seat.relay = relay;
      seat.display_name = v->camera;
      seat.unattended = true;
      const node::NodeContext ctx = core.NodeContextFor(seat);
      v->node = std::make_unique<node::CNodeWindow>(ctx, &v->clock);
      node::CNodeWindow* n = v->node.get();
      runtime.SetHandler(ctx.self, [n](uint32_t m, uintptr_t w, intptr_t l) { n->HandleMessage(m, w, l); });
      if (relay) {
        n->OpenRelayCamera(v->camera);
      } else {
        hosting.AddNode(n);
        n->SetAddress({"127.0.0.1", world.camera(v->camera)->port(), false, "", "demo", "demo"});
      }
      views.push_back(std::move(v));
    }
  }
  const auto all_streaming = [&](uint64_t since) {
    for (auto& v : views)
      if (v->clock.last_ms <= since) return false;
    return true;
  };
  if (!runtime.RunUntil([&] { return all_streaming(0); }, 30000)) std::printf("not every view streamed at the start\n");

  const std::vector<Fault> faults = {
      {"camera server restart (down 3 s)", false, "restart CAM 3", true, 3000},
      {"connection cut", false, "fault CAM close", true, 0},
      {"stall on the open connection (4 s)", false, "fault CAM stall 4000", true, 4000},
      {"hosting server restart (down 3 s)", true, "restart hosting 3", false, 3000},
  };
  std::vector<double> every;
  bool all_healed = true;
  std::printf("%d cameras, %zu views (direct and relayed), kept reconnecting\n", cameras, views.size());
  for (const Fault& f : faults) {
    runtime.RunUntil([] { return false; }, 2000);  // settle
    for (auto& v : views) v->clock.Mark(~uint64_t{0});
    const uint64_t start = os::MonotonicMs();
    if (f.per_camera) {
      for (int i = 1; i <= cameras; ++i) {
        std::string c = f.command;
        c.replace(c.find("CAM"), 3, "CAM-" + std::to_string(i));
        world.Execute(c);
      }
    } else {
      world.Execute(f.command);
    }
    const uint64_t gone = start + static_cast<uint64_t>(f.cause_ms);
    std::vector<View*> watched;
    for (auto& v : views)
      if (v->relay == f.relay) watched.push_back(v.get());
    for (View* v : watched) v->clock.Mark(gone);
    runtime.RunUntil([&] {
      for (View* v : watched)
        if (v->clock.first_after == 0) return false;
      return true;
    }, f.cause_ms + 60000);
    std::vector<double> seconds;
    int unhealed = 0;
    for (View* v : watched) {
      const uint64_t last = v->clock.first_after;
      if (last == 0) {
        ++unhealed;
        continue;
      }
      seconds.push_back(double(last - gone) / 1000.0);
    }
    all_healed &= unhealed == 0;
    every.insert(every.end(), seconds.begin(), seconds.end());
    std::printf("%-40s healed %zu/%zu  worst %.2f s  median %.2f s\n", f.name.c_str(), seconds.size(), watched.size(),
                seconds.empty() ? 0.0 : *std::max_element(seconds.begin(), seconds.end()), Median(seconds));
  }
  std::printf("all faults: %s, worst %.2f s, median %.2f s (goal: worst under 12 s)\n",
              all_healed ? "every view healed" : "some views never healed",
              every.empty() ? 0.0 : *std::max_element(every.begin(), every.end()), Median(every));
  for (auto& v : views) v->node.reset();
  hosting.Stop();
  world.Stop();
  return 0;
}
