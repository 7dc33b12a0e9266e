#pragma once
// Where a node's stream is: playing, at which camera time, or at a stored
// file's end. The receive thread writes, anyone reads; the seek window hears
// of the position by kWmNodePosition, a few times a second.
#include <atomic>
#include <cstdint>

#include "os/window_seam.h"

namespace node {

class StreamPosition {
 public:
  StreamPosition(os::WindowPoster& poster, os::WindowHandle parent_window)
      : poster_(poster), parent_window_(parent_window) {}

  // Receive thread: a picture stamped `timestamp_ms` came.
  void PictureAt(uint64_t timestamp_ms);
  // Receive thread: a stored file's end mark came.
  void EndOfFileCame() {
    end_of_file_.store(true);
    playing_.store(false);
  }

  bool Playing() const { return playing_.load(); }
  uint64_t Position() const { return position_.load(); }
  bool EndOfFile() const { return end_of_file_.load(); }

 private:
  // A new position goes to the window when the stream moved a step past the
  // last one posted, or back.
  static constexpr uint64_t kPositionStepMs = 250;
  void Post(uint64_t timestamp_ms);

  os::WindowPoster& poster_;
  const os::WindowHandle parent_window_;
  std::atomic<bool> playing_{false};
  std::atomic<bool> end_of_file_{false};
  std::atomic<uint64_t> position_{0};
  bool posted_ = false;  // receive thread only
  uint64_t last_posted_ = 0;
};

}  // namespace node
