#pragma once
// Fakes and stream helpers shared by the media path tests.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "net/media_data.h"
#include "os/tests/recording_poster.h"

namespace node::testing {

using os::testing::PostedMessage;
using os::testing::RecordingPoster;

std::vector<uint8_t> ReadFile(const std::string& path);

// The simulator's 320x240 test stream, split as a camera sends it: the
// configuration unit, then one unit per picture.
struct SplitStream {
  std::vector<uint8_t> configuration;
  std::vector<std::vector<uint8_t>> pictures;
};
SplitStream LoadStream(const char* name);
// The same for an elementary stream file anywhere.
SplitStream LoadStreamFile(const std::string& path);

net::MediaData Media(uint32_t kind, const std::vector<uint8_t>& payload, uint64_t timestamp);

// Polls `done` every millisecond for up to `timeoutMs`.
template <class Fn>
bool WaitFor(Fn done, int timeoutMs = 10000);

std::string TempPath(const std::string& name);

}  // namespace node::testing

#include "os/clock.h"

template <class Fn>
bool node::testing::WaitFor(Fn done, int timeoutMs) {
  const uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(timeoutMs);
  while (!done()) {
    if (os::MonotonicMs() > end) return false;
    os::SleepMs(1);
  }
  return true;
}
