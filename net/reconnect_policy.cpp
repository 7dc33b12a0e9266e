#include "net/reconnect_policy.h"

#include <algorithm>

namespace net {

ReconnectPolicy::Step ReconnectPolicy::Next(int in_run) {
  if (!keep_) {
    if (in_run > ReconnectWaits::kFixedAttempts) return {};
    return {true, in_run, in_run == 1 ? 0 : waits_.fixed_wait_ms};
  }
  const int number = ++streak_;
  if (number == 1) return {true, 1, 0};
  const size_t step = std::min<size_t>(static_cast<size_t>(number - 2), waits_.growing_ms.size() - 1);
  return {true, number, waits_.growing_ms[step]};
}

}  // namespace net
