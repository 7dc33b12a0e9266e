#pragma once
// A node's media side as one piece: the media path (rings, decoders, worker,
// statistics) and the recording control, seen by the link through
// MediaConsumer. The link tells it whether the camera is known and the link up.
#include <atomic>
#include <functional>
#include <string>

#include "node/events/event_log.h"
#include "node/media/media_consumer.h"
#include "node/media/media_path.h"
#include "node/media/motion_recorder.h"
#include "node/media/node_recorder.h"

namespace node {

class NodeMedia : public MediaConsumer, private RecorderHost {
 public:
  struct Windows {
    os::WindowHandle parent = 0, main_window = 0;
  };
  // `sink` and `feeder` may be null (no picture output, no sound output).
  // `choose_path` answers the save dialog when a recording starts without a path.
  NodeMedia(int node_index, os::WindowPoster& poster, Windows windows, present::PictureSink* sink,
            present::PlaybackFeeder* feeder, std::function<bool(std::string*)> choose_path = nullptr);
  ~NodeMedia() override;

  NodeMediaPath& path() { return path_; }
  NodeRecorder& recorder() { return recorder_; }
  // The recording that motion starts, beside the one the user starts.
  MotionRecorder& motion_recorder() { return motion_recorder_; }

  // MediaConsumer
  void Reset() override { path_.Reset(); }
  void StartWorker() override { path_.StartWorker(); }
  void StopWorker() override { path_.StopWorker(); }
  void DeliverMedia(const net::MediaData& media) override { path_.DeliverMedia(media); }
  void StatisticsTick() override { path_.StatisticsTick(); }
  void StopRecording() override {
    recorder_.Stop();
    motion_recorder_.recorder().Stop();
    path_.taps().TellLinkClosed();
  }
  // A motion's recording is short and ends with its motion; the user's goes on.
  void InterruptRecording() override {
    recorder_.Interrupt();
    motion_recorder_.recorder().Stop();
    path_.taps().TellLinkInterrupted();
  }
  // A further consumer of the stream (a recording plan): added to the media
  // path and told the link's state as it is now. Window thread; RemoveTap
  // before the tap goes.
  void AddTap(MediaTap* tap) {
    path_.taps().Add(tap);
    tap->TapLinkState(camera_known_, link_up_);
  }
  void RemoveTap(MediaTap* tap) { path_.taps().Remove(tap); }
  // The user's recording, the recording on motion and the motion detector
  // tell `log` what they do, under `camera`'s name.
  void SetEventLog(EventLog* log, const std::string& camera);
  // The later failure of the two recordings (`motion` says which), for the view to tell.
  RecordingFailureReport LastRecordingFailure() const;
  void LinkStateChanged(bool camera_known, bool link_up) override {
    camera_known_ = camera_known;
    link_up_ = link_up;
    path_.taps().TellLinkState(camera_known, link_up);
  }

 private:
  bool CameraIdKnown() const override { return camera_known_; }
  bool LinkUp() const override { return link_up_; }
  bool ChooseRecordingPath(std::string* path) override { return choose_path_ && choose_path_(path); }

  std::atomic<bool> camera_known_{false}, link_up_{false};
  std::function<bool(std::string*)> choose_path_;
  NodeRecorder recorder_;
  MotionRecorder motion_recorder_;
  NodeMediaPath path_;
};

}  // namespace node
