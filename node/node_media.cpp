#include "node/node_media.h"

namespace node {

NodeMedia::NodeMedia(int node_index, os::WindowPoster& poster, Windows windows, PictureSink* sink,
                     PlaybackFeeder* feeder, std::function<bool(std::string*)> choose_path)
    : choose_path_(std::move(choose_path)),
      recorder_(node_index, poster, windows.parent, windows.main_window, *this),
      motion_recorder_(node_index, poster, windows.parent, windows.main_window, *this),
      path_(node_index, poster, windows.parent, sink, feeder, &recorder_) {
  path_.SetMotionRecorder(&motion_recorder_);
}

NodeMedia::~NodeMedia() {
  path_.StopWorker();
  recorder_.Stop();
  motion_recorder_.Configure(false, std::string(), std::string());
}

}  // namespace node
