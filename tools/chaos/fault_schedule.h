#pragma once
// The faults of a chaos run: a seeded random schedule of what the simulated
// servers inject (dropped connections, stalled streams, oversized and
// malformed messages, slow sends, server restarts, notices, a relayed camera
// gone offline at the hosting server for a while, a broken message from the
// hosting server, a hosting server fallen silent), played through the
// simulator's own control commands. The same seed gives the same faults,
// on the same servers, in the same order, at the same intervals.
//
// Threads: Start, Stop, Listening and the figures come from the run's thread;
// the schedule's thread alone draws from its generator and runs commands
// (lifting slow sends too, until Stop has joined it). The last effect's end,
// the heartbeat and the counts are atomic.
#include <array>
#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "os/event.h"
#include "world.h"

namespace chaos {

// The viewer's keep-alive deadline in a chaos run: a hosting server fallen
// silent is noticed this long after its last word.
constexpr int kKeepAliveIdleMs = 1000;
constexpr int kKeepAliveDeadlineMs = 3000;
// A relayed view without pictures asks the hosting server again this long after its last one.
constexpr uint64_t kRelayRetryMs = 10000;

class FaultSchedule {
 public:
  enum Kind { kClose, kStall, kOversized, kMalformed, kDelay, kRestart, kNotice, kOffline, kBrokenHosting, kSilentHosting,
              kKinds };

  // `targets`: "hosting" and the camera IDs.
  FaultSchedule(sim::World& world, uint64_t seed, std::vector<std::string> targets, bool verbose);
  ~FaultSchedule();
  FaultSchedule(const FaultSchedule&) = delete;
  FaultSchedule& operator=(const FaultSchedule&) = delete;

  void Start();
  // Injects nothing more and lifts the slow sends still in force.
  void Stop();
  // Every server listens (none is half-way through a restart).
  bool Listening() const;
  // When (os::MonotonicMs) the effect of the last fault ends or ended: a
  // stall's or a restart's end, the lifting of a slow send, the time the
  // viewer takes to notice and mend what it must notice by itself.
  uint64_t LastEffectEndMs() const { return last_effect_end_ms_; }
  // For the watchdog: when the thread last began a step; 0 when it is not running.
  uint64_t HeartbeatMs() const { return heartbeat_ms_; }
  std::string Summary() const;

 private:
  // A fault in force until its lifting command runs (a slow send's end, a
  // camera coming online again).
  struct Lift {
    std::string command;
    uint64_t until_ms;
    uint64_t mended_after_ms;  // what the viewer then takes to mend by itself
  };

  void Run();
  void InjectOne();
  void LiftDue(bool all);
  void Execute(const std::string& command);
  void EffectEndsAt(uint64_t ms);

  sim::World& world_;
  std::mt19937_64 random_;
  const std::vector<std::string> targets_;
  const bool verbose_;
  std::thread thread_;
  os::Event stop_{os::Event::Reset::kManual};
  uint64_t start_ms_ = 0;
  std::vector<Lift> lifts_;  // the schedule's thread, then Stop after the join
  std::atomic<uint64_t> last_effect_end_ms_{0};
  std::atomic<uint64_t> heartbeat_ms_{0};
  std::array<std::atomic<int>, kKinds> counts_{};
  std::atomic<int> refused_{0};  // commands the simulator answered with an error
};

}  // namespace chaos
