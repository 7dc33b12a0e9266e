#include "node/link/link_events.h"

#include "os/clock.h"

namespace node {

bool LinkEvents::StartOutage() {
  uint64_t none = 0;
  return lost_at_ms_.compare_exchange_strong(none, os::MonotonicMs());
}

bool LinkEvents::LinkLost(const std::string& why) {
  // A second close of one outage (audio after video) is not news.
  if (!StartOutage()) return false;
  Add(EventKind::kLinkLost, why);
  return true;
}

bool LinkEvents::Stalled(int64_t since_wall_s) {
  const bool began = StartOutage();
  Add(EventKind::kStalled, "No video since " + ClockText(since_wall_s));
  return began;
}

bool LinkEvents::Picture() {
  if (lost_at_ms_.load(std::memory_order_relaxed) == 0) return false;
  const uint64_t lost = lost_at_ms_.exchange(0);
  if (lost == 0) return false;
  const int64_t seconds = static_cast<int64_t>((os::MonotonicMs() - lost + 500) / 1000);
  Add(EventKind::kResumed, "Video resumed after " + DurationText(seconds));
  return true;
}

}  // namespace node
