#pragma once
// Where a node's decoded pictures go: the window renderer draws through this.
// Both calls come from the node's media worker and no lock of the node is
// held, so an implementation may wait for the window's thread (whose repaint
// takes the picture through WithPicture). The picture is not written while a
// call runs: only the worker writes it.
#include "codec/video/video_decoder.h"

namespace present {

class PictureSink {
 public:
  virtual ~PictureSink() = default;
  // Called by the media worker after every decoded unit with the node's
  // picture buffer (its last picture when the unit produced none).
  virtual void ShowPicture(const codec::DecodedPicture& picture) = 0;
  // Called when a new video configuration changes the picture size.
  virtual void Resize(int width, int height) = 0;
  // Asked by the media worker before each picture: false while nobody can
  // see what it would show (a minimised or covered view, a cell off its
  // wall). The worker then decodes nothing that nothing else needs, and
  // starts again at the next intra picture once it is true again.
  virtual bool WantsPictures() { return true; }
};

}  // namespace present
