#pragma once
// A node's picture buffer and the sink that shows it. The decoder writes
// the buffer and WithPicture reads it, both under lock_ (taken inside the
// decoder lock, never around it); the buffer is replaced whole on a new
// size, so a worker still showing the old one keeps it alive. The sink and
// the size it was last given are the media worker's: every PictureSink call
// comes from it.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "codec/video/video_decoder.h"

namespace present {
class PictureSink;
}  // namespace present

namespace node {

// A picture buffer and its size: grey until the first picture.
struct PictureBuffer {
  PictureBuffer(int width, int height);
  std::vector<uint8_t> bytes;
  int width, height;
  codec::DecodedPicture View();
};

class PictureStore {
 public:
  // `sink` may be null (nothing shows the pictures); it must outlive this object.
  explicit PictureStore(present::PictureSink* sink) : sink_(sink) {}

  // Media worker: a new, grey buffer of the configuration's size.
  void Replace(int width, int height);
  // The buffer as it is (null before the first configuration).
  std::shared_ptr<PictureBuffer> Current() const;
  // Media worker: runs `fill` on the buffer under the lock (the decoder
  // producing a picture); returns the buffer, null when there is none.
  std::shared_ptr<PictureBuffer> Fill(const std::function<void(PictureBuffer&)>& fill);
  // Runs `draw` with the buffer under the lock (repaint, resize); false
  // without a buffer.
  bool WithPicture(const std::function<void(const codec::DecodedPicture&)>& draw) const;

  bool HasSink() const { return sink_ != nullptr; }
  // Something shows the pictures now (media worker).
  bool SinkWantsPictures() const;
  // Hands a decoded picture to the sink, resizing it first when the size
  // changed. Media worker only, with no lock held.
  void Show(PictureBuffer& picture);

 private:
  present::PictureSink* const sink_;
  int sink_width_ = 0;  // the size the sink was last given
  int sink_height_ = 0;
  mutable std::mutex lock_;
  std::shared_ptr<PictureBuffer> picture_;
};

}  // namespace node
