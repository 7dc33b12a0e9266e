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
  // Longest nap of an idle worker: sound is topped up with silence and the
  // recorder pumped at least this often (a sound block lasts 64 ms).
  static constexpr uint64_t kIdleWaitMs = 20;

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

 private:
  std::atomic<bool> running_{false};
  std::mutex thread_lock_;
  std::thread thread_;
  std::mutex wake_lock_;
  std::condition_variable wake_;
  bool wake_pending_ = false;  // under wake_lock_
};

}  // namespace node
