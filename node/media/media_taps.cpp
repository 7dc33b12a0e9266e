#include "node/media/media_taps.h"

namespace node {

void MediaTaps::Add(MediaTap* tap) {
  std::lock_guard<std::mutex> lock(lock_);
  auto list = taps_ ? std::make_shared<List>(*taps_) : std::make_shared<List>();
  list->push_back({tap, std::make_shared<os::UsageGuard>(), std::make_shared<std::atomic<bool>>(false)});
  taps_ = std::move(list);
}

void MediaTaps::Remove(MediaTap* tap) {
  std::shared_ptr<os::UsageGuard> guard;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (!taps_) return;
    auto list = std::make_shared<List>();
    for (const Slot& slot : *taps_) {
      if (slot.tap == tap)
        guard = slot.guard;
      else
        list->push_back(slot);
    }
    taps_ = list->empty() ? nullptr : std::move(list);
  }
  // A thread still inside the tap (a worker writing a sample) finishes first.
  if (guard) guard->Close();
}

bool MediaTaps::WantMotion() const {
  bool wanted = false;
  ForEach([&](MediaTap& tap) { wanted = wanted || tap.TapWantsMotion(); });
  return wanted;
}

void MediaTaps::Configure(const std::vector<uint8_t>& unit, int width, int height) {
  ForEachSlot([&](const Slot& slot) {
    slot.tap->TapConfiguration(unit.data(), unit.size(), width, height);
    *slot.configured = true;
  });
}

void MediaTaps::ConfigureNew(const std::function<std::vector<uint8_t>()>& configuration, int width, int height) {
  std::vector<uint8_t> unit;
  ForEachSlot([&](const Slot& slot) {
    if (*slot.configured) return;
    if (unit.empty()) unit = configuration();
    if (unit.empty()) return;
    slot.tap->TapConfiguration(unit.data(), unit.size(), width, height);
    *slot.configured = true;
  });
}

void MediaTaps::ResetAll() {
  ForEachSlot([](const Slot& slot) {
    slot.tap->TapReset();
    *slot.configured = false;
  });
}

void MediaTaps::TellLinkState(bool camera_known, bool link_up) {
  ForEach([&](MediaTap& tap) { tap.TapLinkState(camera_known, link_up); });
}

void MediaTaps::TellLinkInterrupted() {
  ForEach([](MediaTap& tap) { tap.TapLinkInterrupted(); });
}

void MediaTaps::TellLinkClosed() {
  ForEach([](MediaTap& tap) { tap.TapLinkClosed(); });
}

}  // namespace node
