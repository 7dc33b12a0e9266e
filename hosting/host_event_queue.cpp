#include "hosting/host_event_queue.h"

#include <utility>

namespace hosting {

HostEventQueue::HostEventQueue(os::WindowPoster& poster, os::WindowHandle main_window, int capacity)
    : poster_(poster), main_window_(main_window), capacity_(capacity), slots_(static_cast<size_t>(capacity)) {
  Reset();
}

void HostEventQueue::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  free_slots_ = std::make_unique<os::Semaphore>(capacity_, capacity_);
  filled_slots_ = std::make_unique<os::Semaphore>(0, capacity_);
  read_ = write_ = count_ = 0;
}

int HostEventQueue::count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

bool HostEventQueue::Push(HostEvent event) {
  if (count() >= capacity_ || !free_slots_->Acquire(0)) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Assigning replaces (and frees) what the slot held from its last use.
    slots_[static_cast<size_t>(write_)] = std::move(event);
    write_ = (write_ + 1) % capacity_;
    ++count_;
    filled_slots_->Release();
  }
  poster_.Post(main_window_, os::kWmHostEvent, 0, 0);
  return true;
}

bool HostEventQueue::Pop(HostEvent* event) {
  if (!filled_slots_->Acquire(0)) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    *event = slots_[static_cast<size_t>(read_)];
    read_ = (read_ + 1) % capacity_;
    --count_;
  }
  free_slots_->Release();
  return true;
}

}  // namespace hosting
