#pragma once
// Where a node's decoded pictures go: the window renderer draws through this.
// Both calls come with the node's picture lock held, so the picture is never
// written while it is drawn; an implementation must not call back into the
// node's media path.
#include "codec/video/video_decoder.h"

namespace node {

class PictureSink {
 public:
  virtual ~PictureSink() = default;
  // Called by the media worker after every decoded unit with the node's
  // picture buffer (its last picture when the unit produced none).
  virtual void ShowPicture(const DecodedPicture& picture) = 0;
  // Called when a new video configuration changes the picture size.
  virtual void Resize(int width, int height) = 0;
};

}  // namespace node
