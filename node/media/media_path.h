#pragma once
// The part of a node between the network and its consumers. The receive
// thread hands every MediaData addressed to the node to DeliverMedia, which
// only copies into the rings (and stores a configuration unit in its place
// among the pictures); the node's media worker applies configurations to
// the decoder, decodes, shows, records and feeds the sound output. The node
// (CNodeWindow) owns one NodeMediaPath and calls it.
//
// It composes the parts that do each job, each with its own lock and its
// own threads comment:
//   live_ring_                     receive thread writes, media worker reads (the ring's lock)
//   sound_                         LiveSound: the sound ring and the worker's feeding of the output
//   configurations_                WaitingConfigurations: receive thread adds, worker takes, Reset empties
//   video_                         LiveVideoDecoder: the worker decodes; Reset releases it
//   pictures_                      PictureStore: the buffer the worker fills and the UI reads, the sink
//   position_                      StreamPosition: receive thread writes, anyone reads
//   statistics_                    MediaStatistics: worker counts, timer thread ticks
//   worker_                        MediaWorkerThread: UI thread starts and stops it
//   motion_                        MotionWatch: settings from any thread, the detector on the worker
//   taps_                          MediaTaps: any thread changes the list, calls on the callers' threads
//   recorder_                      its own lock; configuration from the worker, units from the worker,
//                                  sound from the receive thread
//   pacer_, discarded_seen_, timing_   media worker only (timing_ read by anyone)
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/media_data.h"
#include "node/media/live_sound.h"
#include "node/media/live_video_decoder.h"
#include "node/media/media_ring.h"
#include "node/media/media_statistics.h"
#include "node/media/media_taps.h"
#include "node/media/media_worker.h"
#include "node/media/motion_watch.h"
#include "node/media/picture_pacer.h"
#include "node/media/picture_store.h"
#include "node/media/picture_timing.h"
#include "node/media/stream_position.h"
#include "node/media/waiting_configurations.h"
#include "os/window_seam.h"

namespace present {
class PictureSink;
class PlaybackFeeder;
}  // namespace present

namespace node {

class NodeRecorder;

class NodeMediaPath {
 public:
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
  bool WorkerRunning() const { return worker_.Running(); }

  // Receive thread: one MediaData addressed to this node.
  void DeliverMedia(const net::MediaData& media);
  // Media worker: applies the configuration units that came before every
  // picture still queued (a test or fuzzer without a worker calls it in the
  // worker's place).
  void ApplyDueConfiguration();

  // Timer 55 (every 1000 ms): the status text ("%d fps, %d kbps") from what
  // was shown; statistics() has the figures.
  void StatisticsTick() { statistics_.Tick(); }
  std::string StatusText() const { return statistics_.StatusText(); }
  uint64_t FramesShown() const { return statistics_.FramesShown(); }
  MediaStatistics& statistics() { return statistics_; }

  int Width() const { return video_.Width(); }
  int Height() const { return video_.Height(); }
  bool HasConfiguration() const { return video_.Configured(); }
  std::vector<uint8_t> Configuration() const { return configurations_.Applied(); }
  bool Playing() const { return position_.Playing(); }
  uint64_t Position() const { return position_.Position(); }
  // A stored file's end mark arrived: the node shows "End of File".
  bool EndOfFile() const { return position_.EndOfFile(); }
  static constexpr const char* kEndOfFileText = "End of File";

  // Pictures received but not decoded, nobody needing them (tests, the benchmark).
  uint64_t PicturesUndecoded() const { return video_.PicturesUndecoded(); }
  // Runs `draw` with the picture buffer under the picture lock (repaint,
  // resize); false without a picture buffer.
  bool WithPicture(const std::function<void(const codec::DecodedPicture&)>& draw) const {
    return pictures_.WithPicture(draw);
  }

  // Motion detection on the shown pictures (settings from any thread).
  MotionWatch& motion() { return motion_; }
  const MotionWatch& motion() const { return motion_; }
  // Further consumers of the stream (a recording plan): each is told of
  // every unit and configuration as the node's recorders are, and the
  // detector runs while one wants it. A tap added to a stream already
  // running is given the stream's configuration before its first unit (a
  // recording plan moving onto a view's link cannot wait for a
  // configuration the camera sent once).
  MediaTaps& taps() { return taps_; }

  const MediaWorkerThread& Worker() const { return worker_; }
  MediaRing& LiveRing() { return live_ring_; }
  MediaRing& AudioRing() { return sound_.Ring(); }
  // Per-stage times and arrival-to-screen latency of the pictures drawn.
  const PictureTiming& Timing() const { return timing_; }

 private:
  void DeliverConfiguration(const net::MediaData& media);
  void WakeForSound();
  // Applies the newest configuration unit that came before the unit numbered
  // `sequence` in the live ring. Media worker.
  void ApplyConfigurationsBefore(uint64_t sequence);
  // Decides in the decoder; buffer, recorders, taps and window after it.
  void ApplyConfiguration(const std::vector<uint8_t>& unit);
  // One live unit when one is queued and the picture interval has passed.
  bool ConsumeLiveVideo();
  // The recorders and the taps learn of pictures thrown away since the last look.
  void TellDiscarded();
  void WorkerLoop();
  // Milliseconds the worker may sleep: until the next picture is due, at most kIdleWaitMs.
  uint64_t WorkerWaitMs() const;
  // Milliseconds until the oldest live picture is due (0: now).
  uint64_t LiveWaitMs(uint64_t now_ms) const;

  const int node_index_;
  os::WindowPoster& poster_;
  const os::WindowHandle parent_window_;
  NodeRecorder* const recorder_;

  MediaRing live_ring_{MediaRing::kLiveVideoSlots, 16384};
  LiveSound sound_;
  WaitingConfigurations configurations_;
  LiveVideoDecoder video_;
  PictureStore pictures_;
  StreamPosition position_;
  MediaStatistics statistics_;
  MediaTaps taps_;
  MotionWatch motion_;
  MediaWorkerThread worker_;
  PicturePacer pacer_;
  PictureTiming timing_;
  uint64_t discarded_seen_ = 0;  // the live ring's discards the recorder was told of
  std::atomic<uint64_t> pictures_at_last_sound_{0};  // receive side: the live ring's count at the last sound unit
};

}  // namespace node
