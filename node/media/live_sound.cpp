#include "node/media/live_sound.h"

#include "node/media/media_fault.h"
#include "present/playback_feeder.h"

namespace node {

void LiveSound::Feed(const std::function<bool()>& go_on) {
  while (go_on() && feeder_ && feeder_->IsOpen() &&
         GuardDecoderCall(DecoderKind::kAudio, node_index_, [&] { return feeder_->FeedOne(source_); })) {
  }
}

}  // namespace node
