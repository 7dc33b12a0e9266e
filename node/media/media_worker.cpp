#include "node/media/media_worker.h"

#include <chrono>

#include "os/thread_name.h"

namespace node {

void MediaWorkerThread::Start(std::function<void()> loop) {
  std::lock_guard<std::mutex> lock(thread_lock_);
  if (thread_.joinable()) return;
  running_.store(true);
  thread_ = std::thread([loop = std::move(loop)] {
    os::NameCurrentThread("media");
    loop();
  });
}

void MediaWorkerThread::Stop() {
  std::lock_guard<std::mutex> lock(thread_lock_);
  running_.store(false);
  Wake();
  if (thread_.joinable()) thread_.join();
}

void MediaWorkerThread::WithThread(const std::function<void(bool started)>& call) {
  std::lock_guard<std::mutex> lock(thread_lock_);
  call(thread_.joinable());
}

void MediaWorkerThread::Wake() {
  wake_requests_.fetch_add(1, std::memory_order_relaxed);
  {
    std::lock_guard<std::mutex> lock(wake_lock_);
    wake_pending_ = true;
  }
  wake_.notify_one();
}

void MediaWorkerThread::Wait(uint64_t wait_ms) {
  std::unique_lock<std::mutex> lock(wake_lock_);
  if (wait_ms > 0 && running_.load()) {
    wake_.wait_for(lock, std::chrono::milliseconds(wait_ms), [this] { return wake_pending_; });
    wake_ups_.fetch_add(1, std::memory_order_relaxed);
  }
  wake_pending_ = false;
}

}  // namespace node
