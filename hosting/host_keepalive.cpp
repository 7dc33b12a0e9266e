#include "hosting/host_keepalive.h"

#include <algorithm>

namespace hosting {

void HostKeepAlive::SetTimes(int idle_ms, int deadline_ms) {
  idle_ms_ = idle_ms;
  deadline_ms_ = deadline_ms;
}

int HostKeepAlive::SelectTimeoutMs(int longest_ms) const { return std::max(10, std::min(longest_ms, idle_ms_ / 4)); }

HostKeepAlive::Verdict HostKeepAlive::Watch(uint32_t connection, uint64_t now_ms) {
  if (connection != timed_connection_) {
    timed_connection_ = connection;
    heard_ms_ = now_ms;
    unanswered_ = 0;
    return Verdict::kQuiet;
  }
  const uint64_t quiet = QuietMs(now_ms);
  if (quiet >= static_cast<uint64_t>(deadline_ms_)) return Verdict::kLost;
  if (quiet >= static_cast<uint64_t>(idle_ms_) && unanswered_ == 0) return Verdict::kProbe;
  return Verdict::kQuiet;
}

void HostKeepAlive::Heard(uint32_t connection, uint64_t now_ms) {
  if (connection == timed_connection_) heard_ms_ = now_ms;
}

bool HostKeepAlive::ShouldAnswer() {
  if (unanswered_ == 0) return true;
  --unanswered_;
  return false;
}

}  // namespace hosting
