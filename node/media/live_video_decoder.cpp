#include "node/media/live_video_decoder.h"

#include "node/media/media_fault.h"
#include "node/media/media_ring.h"
#include "node/media/picture_store.h"
#include "os/clock.h"
#include "os/debug_log.h"
#include "record/m4v_headers.h"

namespace node {

namespace {
// Decoded pictures come in whole macroblocks, at most 2048 on a side.
bool IsPictureSize(int width, int height) {
  return width > 0 && height > 0 && width <= 2048 && height <= 2048 && width % 16 == 0 && height % 16 == 0;
}
}  // namespace

LiveVideoDecoder::Headers LiveVideoDecoder::Configure(const std::vector<uint8_t>& unit) {
  Headers headers;
  {
    std::lock_guard<std::mutex> lock(lock_);
    // Short-header pictures carry no layer header: their size is what the
    // source format names, 320 x 240 where it names none.
    int shortWidth = 320, shortHeight = 240;
    codec::ShortHeaderSourceSize(unit.data(), unit.size(), &shortWidth, &shortHeight);
    decoder_.SetSize(shortWidth, shortHeight);
    decoder_.SetPostFilter(true, true);
    const int result = GuardDecoderCall(DecoderKind::kVideo, node_index_, [&] {
      return decoder_.Decode(unit.data(), static_cast<uint32_t>(unit.size()));
    });
    headers.width = decoder_.Width();
    headers.height = decoder_.Height();
    // A refused header leaves the decoder reporting the size it had before.
    headers.usable = result != codec::kDecodeFatal && IsPictureSize(headers.width, headers.height);
    // Headers the decoder cannot use: nothing after them decodes.
    if (!headers.usable) configured_ = false;
  }
  if (!headers.usable) {
    DebugLog("Node[ %d ] : video configuration with unusable size %d x %d\n", node_index_, headers.width,
             headers.height);
    return headers;
  }
  headers.width_changed = headers.width != width_.load();
  headers.size_changed = headers.width_changed || headers.height != height_.load();
  width_ = headers.width;
  height_ = headers.height;
  return headers;
}

std::shared_ptr<PictureBuffer> LiveVideoDecoder::Decode(const MediaUnit& unit, PictureStore& pictures,
                                                        uint64_t* decoded_us, uint64_t* produced_us) {
  std::shared_ptr<PictureBuffer> picture;
  std::lock_guard<std::mutex> lock(lock_);
  GuardDecoderCall(DecoderKind::kVideo, node_index_, [&] {
    decoder_.Decode(unit.Data(), unit.length);
    *decoded_us = os::MonotonicUs();
    // A unit that produced nothing leaves the previous picture in place.
    picture = pictures.Fill([&](PictureBuffer& buffer) { decoder_.ProducePicture(buffer.View()); });
    *produced_us = os::MonotonicUs();
  });
  return picture;
}

void LiveVideoDecoder::Release() {
  std::lock_guard<std::mutex> lock(lock_);
  decoder_.Release();
  configured_ = false;
}

bool LiveVideoDecoder::Wanted(const MediaUnit& unit, bool needs) {
  const int type = record::VopCodingType(unit.Data(), unit.length);
  if (!needs) {
    // Only pictures whose kind shows are skipped (not a short-header
    // stream's): the decoder must find an intra picture to start again at.
    paused_ = paused_ || type >= 0;
  } else if (paused_) {
    // A picture that refers to the ones skipped would decode to garbage.
    paused_ = type > 0;
  }
  if (paused_) undecoded_.fetch_add(1);
  return !paused_;
}

}  // namespace node
