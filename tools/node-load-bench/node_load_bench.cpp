// Opens N direct nodes on camera servers (halyard-sim --load N) and prints,
// once a second and at the end, the process's CPU use, pictures decoded per
// second and units dropped per node. Run by bench.sh.
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/program_core.h"
#include "cli_runtime.h"
#include "hosting/hosting_service.h"
#include "node/media/node_media.h"
#include "node/link/node_window.h"
#include "os/clock.h"

int main(int argc, char** argv) {
  int seconds = 60;
  std::vector<uint16_t> ports;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--seconds" && i + 1 < argc)
      seconds = std::atoi(argv[++i]);
    else
      ports.push_back(static_cast<uint16_t>(std::atoi(argv[i])));
  }
  if (ports.empty()) {
    std::fprintf(stderr, "usage: node-load-bench [--seconds N] PORT...   (camera servers on 127.0.0.1, user demo/demo)\n");
    return 2;
  }
  os::NetStartup();
  cli::Runtime runtime;
  app::ProgramCore core(runtime, {});
  hosting::HostingService& hosting = core.MakeHosting(1);
  hosting.Start();
  std::vector<std::unique_ptr<node::NodeMedia>> media;
  std::vector<std::unique_ptr<node::CNodeWindow>> nodes;
  for (size_t i = 0; i < ports.size(); ++i) {
    app::NodeSeat seat;
    seat.poster = &runtime;
    seat.timers = &runtime;
    seat.messages = &runtime;
    seat.self = 100 + i;
    seat.parent = 2;
    seat.main_window = 1;
    seat.index = static_cast<int>(i);
    const node::NodeContext ctx = core.NodeContextFor(seat);
    media.push_back(std::make_unique<node::NodeMedia>(ctx.index, runtime, node::NodeMedia::Windows{2, 1}, nullptr, nullptr));
    nodes.push_back(std::make_unique<node::CNodeWindow>(ctx, media.back().get()));
    node::CNodeWindow* n = nodes.back().get();
    runtime.SetHandler(ctx.self, [n](uint32_t m, uintptr_t w, intptr_t l) { n->HandleMessage(m, w, l); });
    hosting.AddNode(n);
    n->SetAddress({"127.0.0.1", ports[i], false, "", "demo", "demo"});
  }
  std::vector<uint64_t> frames(ports.size(), 0);
  const uint64_t start_ms = os::MonotonicMs();
  const std::clock_t start_cpu = std::clock();
  uint64_t total_frames = 0;
  for (int tick = 1; tick <= seconds && !cli::Runtime::interrupted; ++tick) {
    const uint64_t due = start_ms + static_cast<uint64_t>(tick) * 1000;
    runtime.RunUntil([&] { return os::MonotonicMs() >= due; }, 1100);
    uint64_t decoded = 0, dropped = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
      node::NodeMediaPath& p = media[i]->path();
      decoded += p.FramesShown() - frames[i];
      frames[i] = p.FramesShown();
      dropped += p.LiveRing().Discarded() + p.AudioRing().Discarded();
    }
    total_frames += decoded;
    const double cpu = 100.0 * (std::clock() - start_cpu) / CLOCKS_PER_SEC / ((os::MonotonicMs() - start_ms) / 1000.0);
    std::printf("%3ds cpu %5.1f%% decoded %4llu pictures/s dropped %llu units\n", tick, cpu,
                static_cast<unsigned long long>(decoded), static_cast<unsigned long long>(dropped));
    std::fflush(stdout);
  }
  const double wall = (os::MonotonicMs() - start_ms) / 1000.0;
  std::printf("summary: %zu nodes, %.0f s, cpu %.1f%% of one core, %.1f pictures/s in all (%.1f per node)\n",
              nodes.size(), wall, 100.0 * (std::clock() - start_cpu) / CLOCKS_PER_SEC / wall, total_frames / wall,
              total_frames / wall / static_cast<double>(nodes.size()));
  for (size_t i = 0; i < nodes.size(); ++i) {
    node::NodeMediaPath& p = media[i]->path();
    std::printf("node %zu: %s, %llu pictures, dropped %llu video and %llu audio units\n", i, nodes[i]->camera_id().c_str(),
                static_cast<unsigned long long>(p.FramesShown()),
                static_cast<unsigned long long>(p.LiveRing().Discarded()),
                static_cast<unsigned long long>(p.AudioRing().Discarded()));
  }
  nodes.clear();
  media.clear();
  hosting.Stop();
  return 0;
}
