#pragma once
// The node's media side as a camera view binds it: the media path and the
// recorder (NodeMedia) plus the view's sound playback, whose buffer exists
// while the link is set up: made when the node's media worker starts
// (Setup) and released once it has stopped (the close sequence).
#include "present/node_playback.h"
#include "node/media/media_consumer.h"
#include "node/media/node_media.h"

namespace app::view {

class ViewMedia : public node::MediaConsumer {
 public:
  ViewMedia(node::NodeMedia& media, present::NodePlayback& playback) : media_(media), playback_(playback) {}

  void Reset() override { media_.Reset(); }
  void StartWorker() override {
    playback_.CreateBuffer();
    media_.StartWorker();
  }
  void StopWorker() override {
    media_.StopWorker();
    playback_.ReleaseBuffer();
  }
  void DeliverMedia(const net::MediaData& media) override { media_.DeliverMedia(media); }
  void StatisticsTick() override { media_.StatisticsTick(); }
  void StopRecording() override { media_.StopRecording(); }
  void InterruptRecording() override { media_.InterruptRecording(); }
  void LinkStateChanged(bool camera_known, bool link_up) override { media_.LinkStateChanged(camera_known, link_up); }

 private:
  node::NodeMedia& media_;
  present::NodePlayback& playback_;
};

}  // namespace app::view
