#include "node/media/node_media.h"

#include <cstdio>

namespace node {

NodeMedia::NodeMedia(int node_index, os::WindowPoster& poster, Windows windows, present::PictureSink* sink,
                     present::PlaybackFeeder* feeder, std::function<bool(std::string*)> choose_path)
    : choose_path_(std::move(choose_path)),
      recorder_(node_index, poster, windows.parent, windows.main_window, *this),
      motion_recorder_(node_index, poster, windows.parent, windows.main_window, *this),
      path_(node_index, poster, windows.parent, sink, feeder, &recorder_) {
  path_.motion().SetMotionRecorder(&motion_recorder_);
}

void NodeMedia::SetEventLog(EventLog* log, const std::string& camera) {
  if (!log) return;
  const auto teller = [log, camera](int kind, const std::string& text) {
    const EventKind event = kind == NodeRecorder::kTellStarted      ? EventKind::kRecordingStarted
                            : kind == NodeRecorder::kTellStopped    ? EventKind::kRecordingStopped
                            : kind == NodeRecorder::kTellRolledOver ? EventKind::kRecordingRolledOver
                                                                    : EventKind::kRecordingFailed;
    log->Add(event, camera, text);
  };
  recorder_.SetEventTeller(teller);
  motion_recorder_.recorder().SetEventTeller(teller);
  path_.motion().SetMotionTeller([log, camera](bool started, const MotionDetector::Event& event) {
    char text[96];
    if (started)
      std::snprintf(text, sizeof text, "Motion started");
    else
      std::snprintf(text, sizeof text, "Motion ended after %.1f s, at most %.0f%% of the picture changed",
                    static_cast<double>(event.lengthMs) / 1000.0, event.largestArea * 100.0);
    log->Add(EventKind::kMotion, camera, text);
  });
}

RecordingFailureReport NodeMedia::LastRecordingFailure() const {
  RecordingFailureReport user = recorder_.LastFailure();
  RecordingFailureReport motion = motion_recorder_.recorder().LastFailure();
  motion.motion = true;
  return motion.serial > user.serial ? motion : user;
}

NodeMedia::~NodeMedia() {
  path_.StopWorker();
  recorder_.Stop();
  motion_recorder_.Configure(false, std::string(), std::string());
}

}  // namespace node
