#pragma once
// The part of a node between the network and its consumers. The receive
// thread hands every MediaData addressed to the node to DeliverMedia, which
// only copies into the rings (and stores a configuration unit in its place
// among the pictures); the node's media worker applies configurations to
// the decoder, decodes, shows, records and feeds the sound output. The node
// (CNodeWindow) owns one NodeMediaPath and calls it.
//
// Who owns what:
//   live_ring_, audio_ring_        receive thread writes, media worker reads (each ring's own lock)
//   waiting_                       receive thread adds, media worker takes, Reset empties (config_lock_)
//   configuration_                 media worker writes, anyone reads (config_lock_)
//   m_decoderVideo                 media worker, under decoder_lock_; Reset releases it
//   configured_, width_/height_    media worker writes, anyone reads
//   stored_                        receive thread sets, Reset clears
//   picture_                      media worker replaces and fills, UI reads (picture_lock_)
//   m_decoderAudio, sound_        media worker (decodes what the feeder takes); Reset on the UI
//                                  thread with the worker stopped
//   sink_, sink_width_/Height     media worker only: every PictureSink call comes from it
//   recorder_                     its own lock; configuration from the receive thread, units from the worker
//   worker_                       UI thread starts and stops it, under worker_lock_
//   previous_frames_/Bytes/TickMs  UI thread (statistics tick); counters are atomic
//   detector_, last_timestamp_    media worker; its settings, last event and last cells under motion_lock_;
//                                  Reset ends a motion with the worker stopped, else asks the worker to end it
//   taps_                          any thread replaces the list under taps_lock_ (held only to copy it);
//                                  each tap's guard keeps RemoveTap waiting while a thread is inside it
//   shown_any_, last_shown_ms_,
//   discarded_seen_                media worker only
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codec/audio/adpcm.h"
#include "codec/video/video_decoder.h"
#include "net/media_data.h"
#include "node/media/media_ring.h"
#include "node/media/media_tap.h"
#include "node/media/motion_detector.h"
#include "node/media/picture_timing.h"
#include "node/media/ring_sound_source.h"
#include "os/usage_guard.h"
#include "os/window_seam.h"

namespace present {
class PictureSink;
class PlaybackFeeder;
}  // namespace present

namespace node {

class MotionRecorder;
class NodeRecorder;

class NodeMediaPath {
 public:
  // Pictures are shown at least this far apart, so a burst from the network
  // does not play fast...
  static constexpr uint64_t kPictureIntervalMs = 30;
  // ...unless more than this many wait: then the worker or the screen fell
  // behind (a stall, a busy machine), and the backlog is shown at once. At 30
  // pictures a second the spacing alone would catch up three pictures a
  // second, leaving the view behind real time for seconds after every stall.
  static constexpr int kCatchUpBacklog = 3;
  // Longest nap of an idle worker: sound is topped up with silence and the
  // recorder pumped at least this often (a sound block lasts 64 ms).
  static constexpr uint64_t kIdleWaitMs = 20;

  // `sink`, `feeder` and `recorder` may be null (no renderer, no sound
  // output, no recording); each must outlive this object.
  NodeMediaPath(int node_index, os::WindowPoster& poster, os::WindowHandle parent_window, present::PictureSink* sink,
                present::PlaybackFeeder* feeder, NodeRecorder* recorder = nullptr);
  ~NodeMediaPath();  // stops the worker
  NodeMediaPath(const NodeMediaPath&) = delete;
  NodeMediaPath& operator=(const NodeMediaPath&) = delete;

  // Setup and the close sequence: releases the video decoder, resets the
  // audio decoder, empties both rings and forgets the configuration (the
  // next stream starts with its own). The picture buffer and size stay.
  void Reset();
  // The media worker thread; StopWorker returns once it has finished. Either
  // may be called from any thread but the worker itself.
  void StartWorker();
  void StopWorker();
  bool WorkerRunning() const { return running_.load(); }

  // Receive thread: one MediaData addressed to this node.
  void DeliverMedia(const net::MediaData& media);
  // Media worker: applies the configuration units that came before every
  // picture still queued (a test or fuzzer without a worker calls it in the
  // worker's place).
  void ApplyDueConfiguration();

  // Timer 55 (every 1000 ms): recomputes the status text from what was shown
  // since the previous tick, over the real time between the two ticks (a
  // late timer does not inflate the figures; no pictures give 0 fps).
  void StatisticsTick();
  void StatisticsTickAt(uint64_t now_ms);  // the same at a given monotonic time
  std::string StatusText() const;  // "%d fps, %d kbps"
  int FramesPerSecond() const;
  int KilobitsPerSecond() const;
  uint64_t FramesShown() const { return frames_shown_.load(); }
  uint64_t BytesShown() const { return bytes_shown_.load(); }

  int Width() const;
  int Height() const;
  bool HasConfiguration() const;
  std::vector<uint8_t> Configuration() const;
  bool Playing() const { return playing_.load(); }
  uint64_t Position() const { return position_.load(); }
  // A stored file's end mark arrived: the node shows "End of File".
  bool EndOfFile() const { return end_of_file_.load(); }
  static constexpr const char* kEndOfFileText = "End of File";

  // Runs `draw` with the picture buffer under the picture lock (repaint,
  // resize); false without a picture buffer.
  // Pictures received but not decoded, nobody needing them (tests, the benchmark).
  uint64_t PicturesUndecoded() const { return pictures_undecoded_.load(); }
  bool WithPicture(const std::function<void(const codec::DecodedPicture&)>& draw) const;

  // Motion detection on the shown pictures (any thread): off by default.
  // A motion posts kWmNodeMotion to the parent window, is written to the
  // debug log and goes to the motion recorder when one is set.
  void SetMotionDetection(bool on, int sensitivity, const MotionDetector::Mask& mask);
  void SetMotionRecorder(MotionRecorder* recorder) { motion_recorder_ = recorder; }
  // Told of each motion's start and end (set before the worker starts): on
  // the media worker, or on Reset's thread for a motion the stream's end ended.
  using MotionTeller = std::function<void(bool started, const MotionDetector::Event& event)>;
  void SetMotionTeller(MotionTeller teller) { motion_teller_ = std::move(teller); }
  bool MotionDetectionOn() const { return motion_on_.load(); }
  // While set (a settings window is open), the detector also runs with
  // detection off, so its cells can be shown; no motion starts from it, and
  // what it learnt is dropped when the preview ends (any thread).
  void SetMotionPreview(bool preview) { motion_preview_ = preview; }
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

  // Further consumers of the stream (a recording plan): each is told of
  // every unit and configuration as the node's recorders are, and the
  // detector runs while one wants it. From any thread but the worker and the
  // receive thread; RemoveTap returns once no thread is inside a call to the
  // tap any more. A tap added to a stream already running is given the
  // stream's configuration before its first unit (a recording plan moving
  // onto a view's link cannot wait for a configuration the camera sent once).
  void AddTap(MediaTap* tap);
  void RemoveTap(MediaTap* tap);
  // The link's state, for the taps (window thread).
  void TellTapsLinkState(bool camera_known, bool link_up);
  void TellTapsLinkInterrupted();
  void TellTapsLinkClosed();

  MediaRing& LiveRing() { return live_ring_; }
  // Per-stage times and arrival-to-screen latency of the pictures drawn.
  const PictureTiming& Timing() const { return timing_; }
  MediaRing& AudioRing() { return audio_ring_; }

 private:
  // A picture buffer and its size; replaced whole, so a worker still showing
  // the old one keeps it alive.
  struct PictureBuffer {
    PictureBuffer(int width, int height);
    std::vector<uint8_t> bytes;
    int width, height;
    codec::DecodedPicture View();
  };

  void DeliverConfiguration(const net::MediaData& media);
  // Applies the newest configuration unit that came before the unit numbered
  // `sequence` in the live ring. Media worker.
  void ApplyConfigurationsBefore(uint64_t sequence);
  void ApplyConfiguration(const std::vector<uint8_t>& unit);
  void PostPosition(uint64_t timestamp_ms);
  // One live unit when one is queued and the picture interval has passed.
  bool ConsumeLiveVideo();
  // Hands a decoded picture to the sink, resizing it first when the size
  // changed. Media worker only, with no lock held.
  void Show(PictureBuffer& picture);
  // Runs the detector on a decoded picture. Media worker only.
  void DetectMotion(const PictureBuffer& picture, uint64_t timestamp);
  // Tells the detector's verdict: motion recorder, log, teller, window.
  void ReportMotion(MotionDetector::Change change, uint64_t timestamp);
  // A new stream: a running motion ends and the detector learns afresh.
  // Media worker, or any thread while none runs.
  void RestartMotion();
  void WorkerLoop();

  struct TapSlot {
    MediaTap* tap;
    std::shared_ptr<os::UsageGuard> guard;
    // The tap holds the stream's configuration (the worker sets it, Reset clears it).
    std::shared_ptr<std::atomic<bool>> configured;
  };
  using TapList = std::vector<TapSlot>;
  // Calls `call` on every tap that is not being removed; the list is a
  // snapshot, so no lock is held during the calls.
  template <class Call>
  void ForEachTap(Call call) const;
  template <class Call>
  void ForEachTapSlot(Call call) const;
  bool TapsWantMotion() const;
  // Whether the unit is decoded: something needs its picture (a sink that
  // shows, the motion detector), and after a pause it is an intra picture.
  bool DecodeWanted(const MediaUnit& unit);
  bool MotionWanted() const;
  // Media worker: taps added since the stream was configured get its configuration.
  void ConfigureNewTaps();

  const int node_index_;
  os::WindowPoster& poster_;
  const os::WindowHandle parent_window_;
  present::PictureSink* const sink_;
  present::PlaybackFeeder* const feeder_;
  NodeRecorder* const recorder_;

  MediaRing live_ring_{MediaRing::kLiveVideoSlots, 16384};
  MediaRing audio_ring_{MediaRing::kAudioSlots, 1024};

  // Decoder lock: the worker holds it around each decode and each
  // configuration it applies; Reset takes it to release the decoder. The
  // receive thread never takes it, so no camera's input waits for a decode.
  // No call leaves this object while it is held (sink, recorder, poster).
  mutable std::mutex decoder_lock_;
  codec::VideoDecoder m_decoderVideo;
  codec::AdpcmDecoder m_decoderAudio;
  RingSoundSource sound_{audio_ring_, m_decoderAudio};  // media worker: decodes for the feeder
  std::atomic<bool> configured_{false};  // the decoder holds usable headers
  std::atomic<bool> stored_{false};      // a configuration unit came: pictures are queued
  std::atomic<int> width_{0};
  std::atomic<int> height_{0};

  // Configuration lock, small: the units waiting for the worker and the copy
  // of the one applied.
  struct WaitingConfiguration {
    std::vector<uint8_t> unit;
    uint64_t before;  // the live ring's sequence number of the first picture after it
  };
  // Every picture queued may sit between two configurations; more waiting
  // units are older than any queued picture.
  static constexpr size_t kMaxWaitingConfigurations = MediaRing::kLiveVideoSlots + 2;
  mutable std::mutex config_lock_;
  std::deque<WaitingConfiguration> waiting_;
  std::vector<uint8_t> configuration_;

  // Picture lock (taken inside the decoder lock, never around it): held
  // while the buffer is written or replaced, and by WithPicture.
  mutable std::mutex picture_lock_;
  std::shared_ptr<PictureBuffer> picture_;
  int sink_width_ = 0;  // the size the sink was last given
  int sink_height_ = 0;

  std::atomic<bool> playing_{false};
  std::atomic<bool> end_of_file_{false};
  std::atomic<uint64_t> position_{0};
  // The last position posted to the window (receive thread only); a new one
  // goes when the stream moved a step past it, or back.
  static constexpr uint64_t kPositionStepMs = 250;
  bool position_posted_ = false;
  uint64_t last_posted_position_ = 0;

  std::atomic<uint64_t> frames_shown_{0};
  std::atomic<uint64_t> bytes_shown_{0};
  uint64_t previous_frames_ = 0;  // timer thread only
  uint64_t previous_bytes_ = 0;
  uint64_t previous_tick_ms_ = 0;  // 0 before the first tick
  mutable std::mutex status_lock_;
  int fps_ = 0;
  int kbps_ = 0;
  std::string status_text_ = "0 fps, 0 kbps";

  // The worker sleeps until a unit arrives, a picture falls due or it must
  // stop, instead of looking every millisecond: many views would otherwise
  // wake thousands of times a second for nothing.
  void WakeWorker();
  void WaitForWork();
  // Milliseconds until the next live picture may be shown (0: now).
  uint64_t PictureWaitMs(uint64_t now_ms) const;

  std::atomic<bool> running_{false};
  std::mutex worker_lock_;
  std::thread worker_;
  std::mutex wake_lock_;
  std::condition_variable wake_;
  bool wake_pending_ = false;  // under wake_lock_
  PictureTiming timing_;
  bool shown_any_ = false;  // worker thread only
  uint64_t last_shown_ms_ = 0;
  uint64_t discarded_seen_ = 0;  // the live ring's discards the recorder was told of

  // Motion: the settings from any thread under motion_lock_, taken by the
  // worker, which alone runs the detector.
  MotionRecorder* motion_recorder_ = nullptr;
  MotionTeller motion_teller_;
  std::atomic<bool> motion_on_{false};
  std::atomic<bool> motion_settings_changed_{false};
  std::atomic<bool> in_motion_{false};
  std::atomic<bool> motion_preview_{false};
  bool previewing_ = false;  // media worker: the detector last ran for a preview only
  bool decode_paused_ = false;  // media worker: pictures went undecoded, an intra picture restarts
  std::atomic<uint64_t> pictures_undecoded_{0};
  std::atomic<bool> motion_restart_{false};  // Reset asks the running worker to RestartMotion
  uint64_t last_timestamp_ = 0;              // of the last picture the detector saw
  mutable std::mutex motion_lock_;
  int motion_sensitivity_ = MotionDetector::kDefaultSensitivity;
  int motion_min_cells_ = MotionDetector::kDefaultMinObjectCells;
  int motion_min_duration_ms_ = MotionDetector::kDefaultMinDurationMs;
  MotionDetector::Mask motion_mask_;
  MotionDetector::Mask motion_changed_, motion_objects_;
  MotionDetector::Event last_motion_;
  MotionDetector detector_;  // media worker only

  mutable std::mutex taps_lock_;
  std::shared_ptr<const TapList> taps_;  // null: none
};

}  // namespace node
