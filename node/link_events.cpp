#include "node/link_events.h"

#include "os/clock.h"

namespace node {

void LinkEvents::StartOutage() {
  uint64_t none = 0;
  lost_at_ms_.compare_exchange_strong(none, os::MonotonicMs());
}

void LinkEvents::LinkLost(const std::string& why) {
  // A second close of one outage (audio after video) is not news.
  if (InOutage()) return;
  StartOutage();
  Add(EventKind::kLinkLost, why);
}

void LinkEvents::Stalled(int64_t since_wall_s) {
  StartOutage();
  Add(EventKind::kStalled, "No video since " + ClockText(since_wall_s));
}

void LinkEvents::Picture() {
  if (lost_at_ms_.load(std::memory_order_relaxed) == 0) return;
  const uint64_t lost = lost_at_ms_.exchange(0);
  if (lost == 0) return;
  const int64_t seconds = static_cast<int64_t>((os::MonotonicMs() - lost + 500) / 1000);
  Add(EventKind::kResumed, "Video resumed after " + DurationText(seconds));
}

}  // namespace node
