#pragma once
// A node's live video decoder: applies the configuration units, decodes
// the pictures into the picture store, and decides which pictures need
// decoding at all.
//
// Who owns what:
//   decoder_                       media worker, under lock_; Release (Reset) takes lock_ too. The
//                                  receive thread never takes it, so no camera's input waits for a
//                                  decode. No call leaves this object while it is held.
//   configured_, width_/height_    media worker writes, anyone reads
//   paused_                        media worker only; undecoded_ counts for anyone
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "codec/video/video_decoder.h"

namespace node {

struct MediaUnit;
struct PictureBuffer;
class PictureStore;

class LiveVideoDecoder {
 public:
  // `node_index` names the node in the decoder fault guard and the log.
  explicit LiveVideoDecoder(int node_index) : node_index_(node_index) {}

  struct Headers {
    bool usable = false;
    bool width_changed = false, size_changed = false;
    int width = 0, height = 0;
  };
  // Media worker: gives the decoder a configuration unit. Usable headers set
  // the size; unusable ones leave the decoder unconfigured, so pictures are
  // dropped until usable headers come. Configured() turns true only with
  // MarkConfigured, once everyone who needs the unit has it.
  Headers Configure(const std::vector<uint8_t>& unit);
  void MarkConfigured() { configured_ = true; }
  bool Configured() const { return configured_.load(); }
  int Width() const { return width_.load(); }
  int Height() const { return height_.load(); }

  // Media worker: decodes `unit` into the store's buffer. Returns the buffer
  // (null without one) and the times the decoding and the copy out ended.
  std::shared_ptr<PictureBuffer> Decode(const MediaUnit& unit, PictureStore& pictures, uint64_t* decoded_us,
                                        uint64_t* produced_us);
  // Setup and the close sequence: the decoder lets its state go.
  void Release();

  // Media worker: whether `unit` is decoded, given whether anything
  // `needs` its picture; after a pause only from an intra picture on.
  bool Wanted(const MediaUnit& unit, bool needs);
  // Pictures received but not decoded, nobody needing them.
  uint64_t PicturesUndecoded() const { return undecoded_.load(); }

 private:
  const int node_index_;
  mutable std::mutex lock_;
  codec::VideoDecoder decoder_;
  std::atomic<bool> configured_{false};  // the decoder holds usable headers
  std::atomic<int> width_{0};
  std::atomic<int> height_{0};
  bool paused_ = false;  // pictures went undecoded, an intra picture restarts
  std::atomic<uint64_t> undecoded_{0};
};

}  // namespace node
