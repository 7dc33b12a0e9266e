#pragma once
// Recording on motion: each motion starts a recording of its own (beside,
// never instead of, the one the user starts by hand) that begins with the
// last intra picture at least three seconds before the motion, kept in a
// pre-roll buffer, and ends ten seconds after the motion ends; a motion
// during those ten seconds extends the same file. Files are named
// "CAMERA_yyyyMMdd_HHmmss_motion.mp4" in the chosen folder, and like every
// recording never replace a file and are journaled.
//
// Threads: Configure and Reset on the window's thread; OnVideo, OnMotion,
// NoteDiscardedVideo and SetVideoConfiguration on the media worker (which
// may write the file); OnAudio on the receive thread, which only queues
// (live_lock_ is held only around queueing, never a disk write).
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "node/media/motion_detector.h"
#include "node/media/node_recorder.h"
#include "node/media/pre_roll.h"
#include "record/m4v_headers.h"

namespace node {

class MotionRecorder {
 public:
  static constexpr uint64_t kTailMs = 10000;

  MotionRecorder(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window, os::WindowHandle main_window,
                 RecorderHost& host);
  // Stops a motion recording still open.
  ~MotionRecorder();

  // Whether motion records, into which folder, under which camera name.
  void Configure(bool enabled, const std::string& folder, const std::string& camera);
  bool Enabled() const { return enabled_.load(); }
  // Where each motion's file goes instead of "CAMERA_yyyyMMdd_HHmmss_motion.mp4"
  // in the configured folder: a recording plan names it by its own clock and
  // day folder. Called on the media worker as a motion starts; set before
  // motion is enabled.
  using Namer = std::function<std::string()>;
  void SetNamer(Namer namer);

  // Every received picture after decoding, after the detector has seen it.
  void OnVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool have_picture);
  // Every received sound frame.
  void OnAudio(const uint8_t* data, uint32_t length, uint64_t timestamp);
  // The detector's verdict on the picture that OnVideo gets next.
  void OnMotion(MotionDetector::Change change, uint64_t timestamp);
  // Received pictures were thrown away unseen: the predicted ones after them
  // go neither into the seconds kept before a motion nor into its file.
  void NoteDiscardedVideo(uint64_t count);
  // The configuration the node's decoder applied (see NodeRecorder); one that
  // decodes otherwise makes the pictures kept before a motion useless.
  void SetVideoConfiguration(const uint8_t* data, size_t length, int width, int height);
  // The node's stream starts afresh (a new link): what was kept is of the old one.
  void Reset();

  bool IsRecording() const { return recorder_.IsRecording(); }
  NodeRecorder& recorder() { return recorder_; }
  const NodeRecorder& recorder() const { return recorder_; }
  // "CAMERA_yyyyMMdd_HHmmss_motion.mp4" in `folder` for a motion at `when`.
  static std::string FileName(const std::string& folder, const std::string& camera, std::time_t when);

 private:
  void StartRecording(uint64_t timestamp);
  void StopRecording();

  std::atomic<bool> enabled_{false};
  mutable std::mutex config_lock_;
  std::string folder_;
  std::string camera_;
  Namer namer_;  // under config_lock_

  record::M4vConfig pre_roll_config_;  // what the kept pictures decode with; under config_lock_
  PreRollBuffer pre_roll_;
  NodeRecorder recorder_;
  std::mutex live_lock_;  // sound goes to the recorder only once the pre-roll's is in
  bool live_ = false;
  bool in_motion_ = false;     // media worker only
  uint64_t tail_end_ = 0;      // media worker only: camera time the recording ends
};

}  // namespace node
