#pragma once
// A further consumer of a node's stream beside the node's own two recorders
// (the user's and the one on motion): a recording plan. It is told of every
// unit as those recorders are, on the same threads, and of the link's state.
//
// Threads, as NodeMediaPath calls them:
//   media worker    TapConfiguration, TapVideo, TapDiscarded, TapMotion,
//                   TapPump, TapWantsMotion (may write files)
//   receive thread  TapAudio: only queues, never waits for a disk
//   any thread      TapReset (Setup, the close sequence)
//   window thread   TapLinkState, TapLinkInterrupted, TapLinkClosed
#include <cstddef>
#include <cstdint>

#include "node/media/motion_detector.h"

namespace node {

class MediaTap {
 public:
  virtual ~MediaTap() = default;
  // The configuration unit the decoder applied, and its picture size.
  virtual void TapConfiguration(const uint8_t* data, size_t length, int width, int height) = 0;
  // A live video unit after decoding; `have_picture`: the node holds a picture buffer.
  virtual void TapVideo(const uint8_t* data, uint32_t length, uint64_t timestamp, bool have_picture) = 0;
  virtual void TapAudio(const uint8_t* data, uint32_t length, uint64_t timestamp) = 0;
  // Received video units were thrown away unseen.
  virtual void TapDiscarded(uint64_t count) = 0;
  // The detector's verdict on the picture TapVideo gets next.
  virtual void TapMotion(MotionDetector::Change change, uint64_t timestamp) = 0;
  // Between pictures: sound that waited long enough may be written.
  virtual void TapPump() = 0;
  // A new stream starts: what was kept is of the old one.
  virtual void TapReset() = 0;
  // Whether the node's motion detector must run for this tap, whatever the view says.
  virtual bool TapWantsMotion() const = 0;
  // The camera identified itself and the link is up (or not).
  virtual void TapLinkState(bool camera_known, bool link_up) = 0;
  // The link went down and is being restored.
  virtual void TapLinkInterrupted() = 0;
  // The link closes: nothing more comes.
  virtual void TapLinkClosed() = 0;
};

}  // namespace node
