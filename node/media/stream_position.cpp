#include "node/media/stream_position.h"

namespace node {

void StreamPosition::PictureAt(uint64_t timestamp_ms) {
  position_.store(timestamp_ms);
  playing_.store(true);
  end_of_file_.store(false);
  Post(timestamp_ms);
}

// The seek window's slider and times follow these. A few a second is all
// they can show; one message per picture would wake the window thread 30
// times a second per view for nothing: at 16 views that was half the
// window thread's work. A jump back (a seek, a new file) is posted at
// once, as is a jump ahead of a step or more.
void StreamPosition::Post(uint64_t timestamp_ms) {
  const bool due = !posted_ || timestamp_ms < last_posted_ || timestamp_ms - last_posted_ >= kPositionStepMs;
  if (!due) return;
  posted_ = true;
  last_posted_ = timestamp_ms;
  poster_.Post(parent_window_, os::kWmNodePosition, static_cast<uintptr_t>(timestamp_ms & 0xFFFFFFFFu), 0);
}

}  // namespace node
