#pragma once
// The further consumers of a node's stream (recording plans) as the media
// path holds them. Any thread replaces the list under lock_, held only to
// copy it; each tap's guard keeps Remove waiting while a thread is inside a
// call to the tap. Which thread makes which call is MediaTap's rule.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "node/media/media_tap.h"
#include "os/usage_guard.h"

namespace node {

class MediaTaps {
 public:
  // From any thread but the media worker and the receive thread; Remove
  // returns once no thread is inside a call to the tap any more.
  void Add(MediaTap* tap);
  void Remove(MediaTap* tap);

  // Calls `call` on every tap that is not being removed; the list is a
  // snapshot, so no lock is held during the calls.
  template <class Call>
  void ForEach(Call call) const {
    ForEachSlot([&](const Slot& slot) { call(*slot.tap); });
  }
  bool WantMotion() const;

  // Media worker: the configuration the decoder applied, to every tap.
  void Configure(const std::vector<uint8_t>& unit, int width, int height);
  // Media worker: taps added since the stream was configured get its
  // configuration (`configuration` gives it; empty: none yet).
  void ConfigureNew(const std::function<std::vector<uint8_t>()>& configuration, int width, int height);
  // A new stream: every tap forgets the old one and waits for a configuration.
  void ResetAll();

  // The link's state (window thread).
  void TellLinkState(bool camera_known, bool link_up);
  void TellLinkInterrupted();
  void TellLinkClosed();

 private:
  struct Slot {
    MediaTap* tap;
    std::shared_ptr<os::UsageGuard> guard;
    // The tap holds the stream's configuration (the worker sets it, ResetAll clears it).
    std::shared_ptr<std::atomic<bool>> configured;
  };
  using List = std::vector<Slot>;
  template <class Call>
  void ForEachSlot(Call call) const {
    std::shared_ptr<const List> taps;
    {
      std::lock_guard<std::mutex> lock(lock_);
      taps = taps_;
    }
    if (!taps) return;
    for (const Slot& slot : *taps) {
      if (slot.guard->Acquire() != 0) continue;  // being removed
      call(slot);
      slot.guard->Release();
    }
  }

  mutable std::mutex lock_;
  std::shared_ptr<const List> taps_;  // null: none
};

}  // namespace node
