#pragma once
// The node's media path as the link sees it: what the receive thread hands
// over and what the link starts and stops. Kept apart so the link can be
// driven and tested without decoders.
#include "net/media_data.h"

namespace node {

class MediaConsumer {
 public:
  virtual ~MediaConsumer() = default;
  // New camera or file: decoders and queues start afresh.
  virtual void Reset() = 0;
  virtual void StartWorker() = 0;
  virtual void StopWorker() = 0;
  // Receive thread: one MediaData unit addressed to the node.
  virtual void DeliverMedia(const net::MediaData& media) = 0;
  // Timer 55, once a second on the user-interface thread.
  virtual void StatisticsTick() = 0;
  // The link closes: a running recording is finished first.
  virtual void StopRecording() = 0;
  // The link went down and is being restored: a running recording ends its
  // file and goes on in the next one when pictures come again.
  virtual void InterruptRecording() { StopRecording(); }
  // The camera identified itself (or the node was closed): recording depends on it.
  virtual void LinkStateChanged(bool camera_known, bool link_up) = 0;
};

}  // namespace node
