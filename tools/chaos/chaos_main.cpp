// halyard-chaos: halyard-sim's cameras and hosting server in this process,
// injecting faults on a seeded random schedule, while Halyard's core opens,
// closes, records and stops views of them. It passes when nothing crashes or
// hangs, no message is shown off the user-interface thread, and every view
// still open at the end shows a new picture within 10 s of the last fault's
// end. With --minutes it is a soak run that prints the
// process's memory, descriptors and threads every minute.
#include <stdlib.h>

#include <atomic>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fault_schedule.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "os/file.h"
#include "os/socket.h"
#include "process_figures.h"
#include "viewer.h"
#include "world.h"

namespace {

constexpr uint64_t kStreamAgainMs = 10000;  // after the last fault's end
constexpr uint64_t kHangMs = 60000;         // a thread that makes no step this long hangs
constexpr size_t kLogTail = 300;

struct Options {
  uint64_t seed = 0;
  bool seed_given = false;
  int seconds = 60;
  int minutes = 0;  // a soak run
  int cameras = 8;
  int relay_views = 4;
  bool all_open = false;
  bool verbose = false;
};

void Usage() {
  std::puts(
      "usage: halyard-chaos [--seed N] [--seconds S | --minutes M] [--cameras N] [--relay-views N] [--all-open]\n"
      "                     [--verbose]\n"
      "  --seed N         the fault and user schedules (a random one, printed, when not given)\n"
      "  --seconds S      length of the run (60)\n"
      "  --minutes M      a soak run of M minutes: memory, descriptors and threads every minute\n"
      "  --cameras N      camera servers, one direct view each (8)\n"
      "  --relay-views N  views through the hosting server (4)\n"
      "  --all-open       every view opens at the start (a wall of views), not one by one\n"
      "  --verbose        every fault as it is injected");
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "--seed" && has_value) {
      o->seed = std::strtoull(argv[++i], nullptr, 10);
      o->seed_given = true;
    } else if (a == "--seconds" && has_value) {
      o->seconds = std::atoi(argv[++i]);
    } else if (a == "--minutes" && has_value) {
      o->minutes = std::atoi(argv[++i]);
    } else if (a == "--cameras" && has_value) {
      o->cameras = std::atoi(argv[++i]);
    } else if (a == "--relay-views" && has_value) {
      o->relay_views = std::atoi(argv[++i]);
    } else if (a == "--all-open") {
      o->all_open = true;
    } else if (a == "--verbose") {
      o->verbose = true;
    } else {
      return false;
    }
  }
  return o->seconds > 0 && o->minutes >= 0 && o->cameras > 0 && o->relay_views >= 0;
}

// The last lines of the debug log, printed when the run fails.
class LogTail {
 public:
  LogTail() {
    DebugLogObserve([this](const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(std::to_string(os::MonotonicMs()) + " " + line);
      if (lines_.size() > kLogTail) lines_.pop_front();
    });
  }
  ~LogTail() { DebugLogObserve(nullptr); }
  void Print() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::printf("-- the last %zu lines of the debug log:\n", lines_.size());
    for (const auto& l : lines_) std::printf("%s%s", l.c_str(), l.empty() || l.back() != '\n' ? "\n" : "");
    std::fflush(stdout);
  }

 private:
  std::mutex mutex_;
  std::deque<std::string> lines_;
};

void PrintFigures(const char* when, const chaos::Viewer& viewer) {
  const chaos::ProcessFigures f = chaos::ReadProcessFigures();
  std::printf("%s: resident %ld kB (allocated %ld kB), %d descriptors, %d threads, %d views open\n", when,
              f.resident_kb, f.heap_kb, f.descriptors, f.threads, viewer.OpenViews());
  std::fflush(stdout);
}

std::string MakeFolder() {
  std::string pattern = os::TempDirectory() + "halyard-chaos-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    Usage();
    return 2;
  }
  if (!o.seed_given) o.seed = static_cast<uint64_t>(std::time(nullptr)) ^ (os::MonotonicMs() << 20);
  const uint64_t run_ms = o.minutes > 0 ? static_cast<uint64_t>(o.minutes) * 60000 : static_cast<uint64_t>(o.seconds) * 1000;
  std::printf("halyard-chaos: seed %" PRIu64 ", %" PRIu64 " s, %d cameras, %d direct and %d relayed views\n", o.seed,
              run_ms / 1000, o.cameras, o.cameras, o.relay_views);
  std::fflush(stdout);
  signal(SIGPIPE, SIG_IGN);
  os::NetStartup();
  LogTail log_tail;

  sim::WorldConfig config;
  config.media_dir = HALYARD_SIM_MEDIA_DIR;
  config.hosting_port = 0;
  config.keepalive_ms = 2000;
  config.users["demo"] = "demo";
  std::vector<std::string> targets = {"hosting"};
  for (int i = 1; i <= o.cameras; ++i) {
    // Mostly the small picture, which keeps a sanitizer's run light; every fourth camera a larger one.
    const char* video = i % 4 == 0 ? "test_320x240.m4v" : "test_176x144.m4v";
    config.cameras.push_back({"CAM-" + std::to_string(i), 0, video, "voice", {1, 1, 7}, 0});
    targets.push_back(config.cameras.back().id);
  }
  sim::World world(config);
  std::string error;
  if (!world.Start(&error)) {
    std::printf("halyard-chaos: the simulator does not start: %s\n", error.c_str());
    return 1;
  }
  const std::string folder = MakeFolder();
  if (folder.empty()) {
    std::printf("halyard-chaos: cannot make a folder for the recordings\n");
    return 1;
  }

  int status = 0;
  chaos::Runtime runtime;
  {
    chaos::Viewer::Config vc;
    for (const auto& c : world.cameras()) vc.cameras.push_back({c->config().id, c->port()});
    vc.relay_views = o.relay_views;
    vc.hosting_port = world.hosting()->port();
    vc.folder = folder;
    vc.seed = o.seed * 0x9E3779B97F4A7C15ull + 1;  // the user's own stream, apart from the faults'
    vc.all_open = o.all_open;
    vc.verbose = o.verbose;
    chaos::Viewer viewer(runtime, vc);
    chaos::FaultSchedule faults(world, o.seed, targets, o.verbose);

    // A thread that stops making steps is a hang: say which and what it was doing, then abort.
    std::atomic<uint64_t> ui_heartbeat{os::MonotonicMs()};
    os::Event done{os::Event::Reset::kManual};
    std::thread watchdog([&] {
      while (!done.Wait(1000)) {
        const uint64_t now = os::MonotonicMs();
        const uint64_t fault_beat = faults.HeartbeatMs();
        const char* who = nullptr;
        if (now - ui_heartbeat > kHangMs) who = "the user-interface thread";
        if (fault_beat != 0 && now > fault_beat && now - fault_beat > kHangMs) who = "the fault thread";
        if (!who) continue;
        std::printf("halyard-chaos: FAIL: %s made no step for %" PRIu64 " s (user-interface thread: %s)\n", who,
                    kHangMs / 1000, viewer.doing());
        log_tail.Print();
        std::abort();
      }
    });

    auto pump = [&](bool act) {
      ui_heartbeat = os::MonotonicMs();
      runtime.RunUntil([] { return false; }, 20);
      viewer.Step(act);
    };

    const uint64_t start = os::MonotonicMs();
    faults.Start();
    uint64_t next_line = start + (o.minutes > 0 ? 60000 : 10000);
    int minute = 0;
    while (os::MonotonicMs() < start + run_ms && !cli::Runtime::interrupted) {
      pump(true);
      if (os::MonotonicMs() < next_line) continue;
      next_line += o.minutes > 0 ? 60000 : 10000;
      if (o.minutes > 0) {
        const std::string when = "minute " + std::to_string(++minute);
        PrintFigures(when.c_str(), viewer);
        // What the harness keeps goes, so the figures are the viewer's own:
        // the recordings, the simulator's log of requests and its cameras'
        // speaker audio (kept for tests that read it).
        viewer.RemoveFinishedRecordings();
        world.log().Clear();
        for (const auto& camera : world.cameras()) camera->ClearSpeakerAudio();
      } else {
        std::printf("%3" PRIu64 " s: %d views open\n", (os::MonotonicMs() - start) / 1000, viewer.OpenViews());
        std::fflush(stdout);
      }
    }

    // The end: no more faults. Wait for every server to listen again, then
    // every view still open must show a new picture in time.
    faults.Stop();
    const uint64_t listen_wait = os::MonotonicMs() + 10000;
    while (!faults.Listening() && os::MonotonicMs() < listen_wait) pump(false);
    const bool listening = faults.Listening();
    const uint64_t settled = std::max(faults.LastEffectEndMs(), os::MonotonicMs());
    viewer.Settle();
    while (!viewer.Lagging().empty() && os::MonotonicMs() < settled + kStreamAgainMs) pump(false);
    const std::vector<std::string> lagging = viewer.Lagging();

    std::printf("faults: %s\n", faults.Summary().c_str());
    std::printf("user: %s\n", viewer.Summary().c_str());
    std::printf("messages shown: %s\n", runtime.ShownSummary().c_str());
    if (runtime.ShownOffThread() > 0) {
      std::printf("halyard-chaos: FAIL: %d messages were shown off the user-interface thread\n",
                  runtime.ShownOffThread());
      status = 1;
    } else if (!listening) {
      std::printf("halyard-chaos: FAIL: a server did not listen again within 10 s of the end\n");
      status = 1;
    } else if (!lagging.empty()) {
      std::printf("halyard-chaos: FAIL: %zu of %d open views showed no new picture within %" PRIu64
                  " s of the last fault:\n",
                  lagging.size(), viewer.OpenViews(), kStreamAgainMs / 1000);
      for (const auto& l : lagging) std::printf("  %s\n", l.c_str());
      status = 1;
    } else {
      uint64_t last = 0;
      const std::string slowest = viewer.Slowest(&last);
      std::printf("every open view (%d) showed a new picture within %.1f s of the last fault; the last one: %s\n",
                  viewer.OpenViews(), last > settled ? (last - settled) / 1000.0 : 0.0, slowest.c_str());
    }
    if (o.minutes > 0) PrintFigures("end", viewer);
    if (status != 0) log_tail.Print();
    std::fflush(stdout);

    ui_heartbeat = os::MonotonicMs();
    viewer.CloseAll();
    done.Set();
    watchdog.join();
  }
  world.Stop();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::printf("halyard-chaos: %s (seed %" PRIu64 ")\n", status == 0 ? "passed" : "FAILED", o.seed);
  return status;
}
