#include "fault_schedule.h"

#include <cstdio>

#include "net/packet_header.h"
#include "os/clock.h"

namespace chaos {
namespace {

constexpr const char* kKindNames[FaultSchedule::kKinds] = {
    "close", "stall", "oversized", "malformed", "delay", "restart", "notice", "offline", "broken hosting message",
    "silent hosting server"};
// How often each kind is drawn, out of the sum.
constexpr int kWeights[FaultSchedule::kKinds] = {6, 4, 2, 2, 4, 3, 1, 2, 2, 2};
// The replies whose sending a slow-send fault delays.
constexpr uint32_t kDelayedTypes[] = {net::kMediaData, net::kReplyUserLogin, net::kReplyChannelSetup,
                                      net::kCameraInfoReply, net::kKeepAlive};

}  // namespace

FaultSchedule::FaultSchedule(sim::World& world, uint64_t seed, std::vector<std::string> targets, bool verbose)
    : world_(world), random_(seed), targets_(std::move(targets)), verbose_(verbose) {}

FaultSchedule::~FaultSchedule() { Stop(); }

void FaultSchedule::Start() {
  start_ms_ = os::MonotonicMs();
  stop_.Reset();
  thread_ = std::thread([this] { Run(); });
}

void FaultSchedule::Stop() {
  stop_.Set();
  if (!thread_.joinable()) return;
  thread_.join();
  LiftDue(true);
}

bool FaultSchedule::Listening() const {
  for (const std::string& target : targets_) {
    sim::Listener* l = target == "hosting" ? &world_.hosting()->listener() : &world_.camera(target)->listener();
    if (!l->listening()) return false;
  }
  return true;
}

std::string FaultSchedule::Summary() const {
  std::string text;
  for (int k = 0; k < kKinds; ++k)
    text += std::string(text.empty() ? "" : ", ") + kKindNames[k] + " " + std::to_string(counts_[k].load());
  if (refused_ > 0) text += ", refused by the simulator " + std::to_string(refused_.load());
  return text;
}

void FaultSchedule::Run() {
  // Draws are taken in one fixed order per step, so a seed names one schedule.
  std::uniform_int_distribution<int> pause(300, 1500);
  for (;;) {
    const int wait = pause(random_);
    if (stop_.Wait(wait)) break;
    heartbeat_ms_ = os::MonotonicMs();
    LiftDue(false);
    InjectOne();
  }
  heartbeat_ms_ = 0;
}

void FaultSchedule::EffectEndsAt(uint64_t ms) {
  uint64_t seen = last_effect_end_ms_;
  while (ms > seen && !last_effect_end_ms_.compare_exchange_weak(seen, ms)) {
  }
}

void FaultSchedule::Execute(const std::string& command) {
  const std::vector<std::string> reply = world_.Execute(command);
  const bool ok = !reply.empty() && reply.back() == "ok";
  if (!ok) ++refused_;
  if (verbose_ || !ok)
    std::printf("%7.1f s  %s%s\n", (os::MonotonicMs() - start_ms_) / 1000.0, command.c_str(),
                ok ? "" : ("  -> " + (reply.empty() ? std::string("no reply") : reply.back())).c_str());
}

void FaultSchedule::InjectOne() {
  int total = 0;
  for (int w : kWeights) total += w;
  int draw = std::uniform_int_distribution<int>(0, total - 1)(random_);
  Kind kind = kClose;
  while (draw >= kWeights[kind]) draw -= kWeights[kind], kind = static_cast<Kind>(kind + 1);
  const std::string target = targets_[std::uniform_int_distribution<size_t>(0, targets_.size() - 1)(random_)];
  const int amount = std::uniform_int_distribution<int>(0, 999)(random_);  // each kind scales it
  const uint64_t now = os::MonotonicMs();
  switch (kind) {
    case kClose:
    case kOversized:
    case kMalformed:
      Execute("fault " + target + " " + kKindNames[kind]);
      EffectEndsAt(now);
      break;
    case kStall: {
      const int ms = 200 + amount * 23 / 10;  // 0.2 to 2.5 s
      Execute("fault " + target + " stall " + std::to_string(ms));
      EffectEndsAt(now + static_cast<uint64_t>(ms));
      break;
    }
    case kDelay: {
      const uint32_t type = kDelayedTypes[static_cast<size_t>(amount) % std::size(kDelayedTypes)];
      const int ms = 20 + amount * 38 / 100;                          // 20 to 400 ms a message
      const uint64_t lasts = 1000 + static_cast<uint64_t>(amount) * 5;  // for 1 to 6 s
      Execute("fault " + target + " delay " + std::to_string(type) + " " + std::to_string(ms));
      // A later slow send of the same type on the same server replaces this one; lifting it lifts both.
      lifts_.push_back({"fault " + target + " delay " + std::to_string(type) + " 0", now + lasts, 0});
      EffectEndsAt(now + lasts);
      break;
    }
    case kRestart: {
      // One in five at once, the others down for up to 6 s: long enough, now
      // and then, for a direct view's three attempts to fail.
      const int ms = amount < 200 ? 0 : (amount - 200) * 6000 / 800;
      char seconds[16];
      std::snprintf(seconds, sizeof seconds, "%.3f", ms / 1000.0);
      Execute("restart " + target + " " + seconds);
      EffectEndsAt(now + static_cast<uint64_t>(ms));
      break;
    }
    case kNotice:
      // The hosting server has no notices: a camera tells its viewers of an event.
      Execute("notice " + (target == "hosting" ? targets_.back() : target) + " " + std::to_string(1 + amount % 8));
      break;
    case kOffline: {
      // For 1 to 5 s: its relayed views find no channel at the hosting
      // server and ask again by themselves, its direct views find no camera.
      const std::string camera = target == "hosting" ? targets_.back() : target;
      const uint64_t lasts = 1000 + static_cast<uint64_t>(amount) * 4;
      Execute("offline " + camera);
      lifts_.push_back({"online " + camera, now + lasts, kRelayRetryMs});
      EffectEndsAt(now + lasts + kRelayRetryMs);
      break;
    }
    case kBrokenHosting:
      Execute(std::string("fault hosting ") + (amount % 2 ? "oversized" : "malformed"));
      EffectEndsAt(now + 1000);
      break;
    case kSilentHosting:
      // The server lost its power: its connections say nothing more and no
      // close ever comes; the viewer must notice by itself.
      Execute("fault hosting silent");
      EffectEndsAt(now + kKeepAliveDeadlineMs + 1000);
      break;
    case kKinds:
      break;
  }
  ++counts_[kind];
}

void FaultSchedule::LiftDue(bool all) {
  const uint64_t now = os::MonotonicMs();
  for (auto it = lifts_.begin(); it != lifts_.end();) {
    if (!all && it->until_ms > now) {
      ++it;
      continue;
    }
    Execute(it->command);
    EffectEndsAt(os::MonotonicMs() + it->mended_after_ms);
    it = lifts_.erase(it);
  }
}

}  // namespace chaos
