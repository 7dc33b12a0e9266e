#pragma once
// A 20-slot ring of HostEvents from the network threads to the main window.
// A producer never waits: when the ring is full the event is dropped. Each
// queued event rings the main window's doorbell (WM_HOST_EVENT).
#include <memory>
#include <mutex>
#include <vector>

#include "hosting/host_event.h"
#include "os/semaphore.h"
#include "os/window_seam.h"

namespace hosting {

class HostEventQueue {
 public:
  static constexpr int kCapacity = 20;

  HostEventQueue(os::WindowPoster& poster, os::WindowHandle main_window, int capacity = kCapacity);

  // False when the queue was full and the event dropped.
  bool Push(HostEvent event);
  // The consumer's side: false when nothing is queued.
  bool Pop(HostEvent* event);
  void Reset();
  int count() const;

 private:
  os::WindowPoster& poster_;
  os::WindowHandle main_window_;
  const int capacity_;
  mutable std::mutex mutex_;
  std::vector<HostEvent> slots_;
  int read_ = 0, write_ = 0, count_ = 0;
  std::unique_ptr<os::Semaphore> free_slots_, filled_slots_;
};

}  // namespace hosting
