#pragma once
// Motion detection on a node's shown pictures: the settings any thread
// gives, the detector the media worker alone runs, and the telling of each
// motion (motion recorder, taps, log, teller, window).
//
// Who owns what:
//   detector_, previewing_,
//   last_timestamp_                media worker; Restart also on Reset's thread while no worker runs
//   sensitivity_, min_cells_,
//   min_duration_ms_, mask_,
//   changed_, objects_, last_      any thread under lock_; the worker copies the settings when told
//   on_, preview_, settings_changed_,
//   in_motion_, restart_           atomics: any thread
//   recorder_, teller_             set before the worker starts
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "node/media/motion_detector.h"
#include "os/window_seam.h"

namespace node {

class MediaTaps;
class MotionRecorder;

class MotionWatch {
 public:
  MotionWatch(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window, const MediaTaps& taps);

  // Off by default. A motion posts kWmNodeMotion to the parent window, is
  // written to the debug log and goes to the motion recorder when one is set.
  void SetMotionDetection(bool on, int sensitivity, const MotionDetector::Mask& mask);
  void SetMotionRecorder(MotionRecorder* recorder) { recorder_ = recorder; }
  MotionRecorder* Recorder() const { return recorder_; }
  // Told of each motion's start and end (set before the worker starts): on
  // the media worker, or on Reset's thread for a motion the stream's end ended.
  using MotionTeller = std::function<void(bool started, const MotionDetector::Event& event)>;
  void SetMotionTeller(MotionTeller teller) { teller_ = std::move(teller); }
  bool MotionDetectionOn() const { return on_.load(); }
  // While set (a settings window is open), the detector also runs with
  // detection off, so its cells can be shown; no motion starts from it, and
  // what it learnt is dropped when the preview ends (any thread).
  void SetMotionPreview(bool preview) { preview_ = preview; }
  // The smallest object and the shortest motion that start an event (any
  // thread; the detector's defaults until set).
  void SetMotionRules(int min_object_cells, int min_duration_ms);
  // The settings the detector runs with, as last set (any thread).
  int MotionSensitivity() const;
  MotionDetector::Mask MotionMask() const;
  // The last watched picture's changed cells, and those of them in objects
  // large enough to count (any thread): what a settings window shows live.
  void MotionCells(MotionDetector::Mask* changed, MotionDetector::Mask* objects) const;
  bool InMotion() const { return in_motion_.load(); }
  // The running motion or the last one ended.
  MotionDetector::Event LastMotion() const;

  // Media worker: whether the pictures must be decoded for the detector.
  bool Wanted() const;
  // Media worker: runs the detector on a decoded picture's luma.
  void Watch(const uint8_t* luma, int width, int height, uint64_t timestamp);
  // A new stream: a running motion ends and the detector learns afresh.
  // Media worker, or any thread while none runs; a running worker is asked
  // with AskRestart and does it before its next picture (RestartIfAsked).
  void Restart();
  void AskRestart() { restart_ = true; }
  void RestartIfAsked() {
    if (restart_.exchange(false)) Restart();
  }

 private:
  // Tells the detector's verdict: motion recorder, taps, log, teller, window.
  void Report(MotionDetector::Change change, uint64_t timestamp);

  const int node_index_;
  os::WindowPoster& poster_;
  const os::WindowHandle parent_window_;
  const MediaTaps& taps_;
  MotionRecorder* recorder_ = nullptr;
  MotionTeller teller_;

  std::atomic<bool> on_{false};
  std::atomic<bool> settings_changed_{false};
  std::atomic<bool> in_motion_{false};
  std::atomic<bool> preview_{false};
  std::atomic<bool> restart_{false};
  bool previewing_ = false;     // media worker: the detector last ran for a preview only
  uint64_t last_timestamp_ = 0;  // of the last picture the detector saw

  mutable std::mutex lock_;
  int sensitivity_ = MotionDetector::kDefaultSensitivity;
  int min_cells_ = MotionDetector::kDefaultMinObjectCells;
  int min_duration_ms_ = MotionDetector::kDefaultMinDurationMs;
  MotionDetector::Mask mask_;
  MotionDetector::Mask changed_, objects_;
  MotionDetector::Event last_;
  MotionDetector detector_;  // media worker only
};

}  // namespace node
