#pragma once
// What the node's link tests share: halyard-sim with one camera, a stored
// file and a dynamic-IP name; the hosting client's threads; and a node whose
// posted messages and timers the test thread delivers, playing the window's
// thread.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "hosting/hosting_service.h"
#include "hosting/tests/fakes.h"
#include "node/link/node_window.h"
#include "os/posted_queue.h"
#include "world.h"

namespace node::testing {

using hosting::testing::Eventually;
using hosting::testing::FakeMessages;

constexpr os::WindowHandle kSelf = 100, kParent = 200, kMain = 300;

// Posted messages queue up; Pump hands the node's own to it on the test
// thread, which plays the user-interface thread.
class Pump : public os::PostedQueue, public os::WindowTimers {
 public:
  void SetTimer(os::WindowHandle, uint32_t id, int) override {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_[id] = true;
    timer_threads_.push_back(std::this_thread::get_id());
  }
  // Every thread that set a timer: Win32 timers belong to the window's thread.
  std::vector<std::thread::id> TimerThreads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return timer_threads_;
  }
  void KillTimer(os::WindowHandle, uint32_t id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_[id] = false;
  }
  bool TimerOn(uint32_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    return timers_[id];
  }
  // Delivers queued messages until `done` holds or the time is up.
  template <typename F>
  bool RunUntil(CNodeWindow& node, F done, int timeout_ms = 8000) {
    return Eventually(
        [&] {
          Deliver(node);
          return done();
        },
        timeout_ms);
  }
  void Deliver(CNodeWindow& node) { Deliver(std::vector<CNodeWindow*>{&node}); }
  void Deliver(const std::vector<CNodeWindow*>& nodes) {
    for (os::PostedMessage m; Take(&m);) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(m);
      }
      for (CNodeWindow* node : nodes)
        if (m.window == node->Window()) node->HandleMessage(m.message, m.wparam, m.lparam);
    }
  }
  int Count(os::WindowHandle window, uint32_t message, intptr_t lparam = -1, intptr_t wparam = -1) {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const auto& m : seen_)
      n += m.window == window && m.message == message && (lparam < 0 || m.lparam == lparam) &&
           (wparam < 0 || static_cast<intptr_t>(m.wparam) == wparam);
    return n;
  }

 private:
  std::mutex mutex_;
  std::vector<os::PostedMessage> seen_;
  std::map<uint32_t, bool> timers_;
  std::vector<std::thread::id> timer_threads_;
};

class FakeMedia : public MediaConsumer {
 public:
  void Reset() override { ++resets; }
  void StartWorker() override {
    worker = true;
    std::lock_guard<std::mutex> lock(mutex);
    worker_started_on = std::this_thread::get_id();
  }
  void StopWorker() override { worker = false; }
  void DeliverMedia(const net::MediaData& m) override {
    std::lock_guard<std::mutex> lock(mutex);
    units.push_back({m.kind, m.timestamp_ms});
  }
  void StatisticsTick() override { ++ticks; }
  void StopRecording() override { ++recording_stops; }
  void InterruptRecording() override { ++recording_interruptions; }
  void LinkStateChanged(bool, bool) override {}
  int Count(uint32_t kind) {
    std::lock_guard<std::mutex> lock(mutex);
    int n = 0;
    for (auto& u : units) n += u.first == kind;
    return n;
  }
  bool SawEndOfFile() {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto& u : units)
      if (u.second == net::kEndOfFileTimestamp) return true;
    return false;
  }
  std::mutex mutex;
  std::vector<std::pair<uint32_t, uint64_t>> units;
  std::atomic<int> resets{0}, ticks{0}, recording_stops{0}, recording_interruptions{0};
  std::atomic<bool> worker{false};
  std::thread::id worker_started_on;
};

struct FakeDynamicIp : DynamicIpStore {
  void Save(const std::string& name, const std::string& ip) override { saved[name] = ip; }
  std::map<std::string, std::string> saved;
};

// What every node of these tests shares: the hosting client, the pump as
// its poster and timers, the parent and main windows.
inline NodeContext Context(hosting::HostingService& hosting, hosting::HostEventQueue& events, Pump& pump,
                           os::WindowHandle self, int index, const std::string& name) {
  NodeContext ctx;
  ctx.hosting = &hosting;
  ctx.events = &events;
  ctx.poster = &pump;
  ctx.timers = &pump;
  ctx.self = self;
  ctx.parent = kParent;
  ctx.main_window = kMain;
  ctx.index = index;
  ctx.display_name = name;
  return ctx;
}

class NodeLink : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::WorldConfig config;
    config.media_dir = std::string(HALYARD_SOURCE_DIR) + "/tools/halyard-sim/media";
    std::string error;
    ASSERT_TRUE(sim::ParseWorldOptions({"--hosting-port", "0", "--ddns-port", "0", "--user", "demo:demo",
                                        "--camera", "CAM-1:0:test_176x144.m4v:voice", "--file",
                                        "rec/one.mp4:CAM-1:test_176x144.m4v", "--ddns-name", "gate:CAM-1"},
                                       &config, &error));
    world_ = std::make_unique<sim::World>(config);
    ASSERT_TRUE(world_->Start(&error)) << error;
    events_ = std::make_unique<hosting::HostEventQueue>(pump_, kMain);
    hosting_ = std::make_unique<hosting::HostingService>(*events_, pump_);
    hosting_->Start();
  }
  void TearDown() override {
    node_.reset();
    hosting_->Stop();
    world_->Stop();
  }

  CNodeWindow& MakeNode(bool relay, int retry_wait_ms = 60000, bool keep_reconnecting = false) {
    NodeContext ctx = Context(*hosting_, *events_, pump_, kSelf, 7, "Gate camera");
    ctx.messages = &messages_;
    ctx.dynamic_ip = &dynamic_ip_;
    ctx.relay = relay;
    ctx.retry_wait_ms = retry_wait_ms;
    ctx.keep_reconnecting = keep_reconnecting;
    ctx.reconnect_waits_ms = growing_waits_;
    ctx.stall_ms = stall_ms_;
    ctx.event_log = &event_log_;
    node_ = std::make_unique<CNodeWindow>(ctx, &media_);
    if (!relay) hosting_->AddNode(node_.get());
    return *node_;
  }
  LoginInfo Camera(const char* password = "demo") {
    return {"127.0.0.1", world_->camera("CAM-1")->port(), false, "", "demo", password};
  }
  bool HostLoggedIn() {
    hosting_->Connect({"127.0.0.1", world_->hosting()->port(), "demo", "demo"});
    return Eventually([&] { return !world_->log().Lines("hosting RequestFileList").empty(); });
  }
  size_t Logins() { return world_->log().Lines("CAM-1 RequestUserLogin").size(); }
  bool Streaming(CNodeWindow& node) {
    return pump_.RunUntil(node, [&] { return media_.Count(net::kMediaVideoFrame) >= 3; });
  }
  bool Sent(const std::string& line) {
    return Eventually([&] { return !world_->log().Lines(line).empty(); }, 3000);
  }

  // Time runs a hundred times faster for the reconnect tests: a minute's
  // wait is 600 ms, the growing waits 10 to 100 ms.
  CNodeWindow& MakeFastNode(bool keep_reconnecting) {
    growing_waits_ = {10, 20, 40, 80, 100};
    return MakeNode(false, 600, keep_reconnecting);
  }
  size_t Events(EventKind kind) {
    size_t n = 0;
    for (const auto& e : event_log_.Entries())
      if (e.kind == kind) n += e.count;
    return n;
  }

  // Delivers messages and the watchdog's ticks (the pump fires no timers).
  template <typename F>
  bool RunTicking(CNodeWindow& node, F done, int timeout_ms = 8000) {
    return pump_.RunUntil(
        node,
        [&] {
          node.HandleMessage(os::kWmTimer, kWatchdogTimer, 0);
          return done();
        },
        timeout_ms);
  }
  void ForgetUnits() {
    std::lock_guard<std::mutex> lock(media_.mutex);
    media_.units.clear();
  }

  std::array<int, 5> growing_waits_ = net::ReconnectWaits{}.growing_ms;
  int stall_ms_ = 10000;
  EventLog event_log_;
  Pump pump_;
  FakeMessages messages_;
  FakeMedia media_;
  FakeDynamicIp dynamic_ip_;
  std::unique_ptr<sim::World> world_;
  std::unique_ptr<hosting::HostEventQueue> events_;
  std::unique_ptr<hosting::HostingService> hosting_;
  std::unique_ptr<CNodeWindow> node_;
};

}  // namespace node::testing
