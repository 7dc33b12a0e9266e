#pragma once
// What a recorder tells of itself: the path the window shows, the last
// failure, the events it hands to the event log, and the notices it posts
// to the windows. The window reads under lock_, so it never waits for a
// sample being written; the recorder writes from its stream lock and from
// its finisher's thread.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "os/window_seam.h"

namespace node {

// Why the last recording ended or did not start, for the view to tell.
enum class RecordingFailure {
  kNone,
  kCannotCreate,   // the file could not be created
  kInUse,          // another recording (or a repair) has the file
  kWriteFailed,    // a write failed: a full disk, a removed drive
  kFinishFailed,   // the file could not be finished; its journal stays for the repair at the next start
};

struct RecordingFailureReport {
  RecordingFailure kind = RecordingFailure::kNone;
  std::string path;
  // Grows with every failure of any recorder, so each is told once and the
  // later of two recorders' failures has the larger serial.
  uint32_t serial = 0;
  bool motion = false;  // set by NodeMedia: the recording on motion failed
};

class RecordingStatus {
 public:
  // `parent_window` is the view window frame, `main_window` the main window.
  RecordingStatus(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window,
                  os::WindowHandle main_window)
      : node_index_(node_index), poster_(poster), parent_window_(parent_window), main_window_(main_window) {}

  // Where the recorder tells what it did; called with the stream lock held,
  // so it must only queue. Set before the first recording.
  using EventTeller = std::function<void(int kind, const std::string& text)>;
  void SetEventTeller(EventTeller teller) { tell_ = std::move(teller); }
  void Tell(int kind, const std::string& text) const {
    if (tell_) tell_(kind, text);
  }

  // The file being written, as the window reads it.
  void Publish(const std::string& path);
  std::string Path() const;
  void SetFailure(RecordingFailure kind, const std::string& path);
  RecordingFailureReport LastFailure() const;

  // WM_NODE_CHANNEL_READY to the frame (its record toggle) or the main window.
  void PostReadyToParent() const { PostReady(parent_window_); }
  void PostReadyToMain() const { PostReady(main_window_); }

 private:
  void PostReady(os::WindowHandle window) const;

  const int node_index_;
  os::WindowPoster& poster_;
  const os::WindowHandle parent_window_;
  const os::WindowHandle main_window_;
  EventTeller tell_;
  mutable std::mutex lock_;
  std::string shown_path_;
  RecordingFailureReport failure_;
};

}  // namespace node
