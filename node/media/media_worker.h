#pragma once
// The thread of a node's media worker and its wake-up. The worker sleeps
// until a unit arrives, a picture falls due or it must stop, instead of
// looking every millisecond: many views would otherwise wake thousands of
// times a second for nothing.
//
// Who owns what: thread_ is started and stopped under thread_lock_ (any
// thread but the worker itself); wake_pending_ under wake_lock_; running_
// is read by anyone.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace node {

class MediaWorkerThread {
 public:
  // Longest nap of an idle worker: the recorder is pumped and sound topped
  // up with silence at least this often. Longer than the interval of
  // pictures at 15 a second, so a view of a camera sending them wakes once
  // per picture; the sound output never replays what it played before, so
  // a late top-up is a short gap at worst.
  static constexpr uint64_t kIdleWaitMs = 100;

  MediaWorkerThread() = default;
  ~MediaWorkerThread() { Stop(); }
  MediaWorkerThread(const MediaWorkerThread&) = delete;
  MediaWorkerThread& operator=(const MediaWorkerThread&) = delete;

  // Runs `loop` on a thread named "media" (nothing when one runs); Stop
  // returns once it has finished. `loop` runs while Running().
  void Start(std::function<void()> loop);
  void Stop();
  bool Running() const { return running_.load(); }
  // Runs `call` with the thread neither started nor stopped meanwhile;
  // `started`: a worker thread exists (it may be about to stop).
  void WithThread(const std::function<void(bool started)>& call);

  // Any thread: the worker has work.
  void Wake();
  // The worker: sleeps up to `wait_ms` (0: not at all) or until woken.
  void Wait(uint64_t wait_ms);

  // How often the worker was asked to wake, and how often it woke (by a
  // request or its nap's end): what the view benchmark reports per picture.
  uint64_t WakeRequests() const { return wake_requests_.load(); }
  uint64_t WakeUps() const { return wake_ups_.load(); }

 private:
  std::atomic<bool> running_{false};
  std::mutex thread_lock_;
  std::thread thread_;
  std::mutex wake_lock_;
  std::condition_variable wake_;
  bool wake_pending_ = false;  // under wake_lock_
  std::atomic<uint64_t> wake_requests_{0};
  std::atomic<uint64_t> wake_ups_{0};
};

}  // namespace node
