#pragma once
// A small MPEG-4 picture coder for the simulator's made-up scenes, so that
// they reach a viewer with the artefacts a camera's coder leaves: intra
// pictures at a fixed rate, and in between predicted pictures whose
// macroblocks either repeat the previous picture or add a quantised
// difference (no motion search; every vector is zero). The stream headers
// are codec::VideoEncoder's. Each coded picture is decoded again with the
// project's own decoder, and that picture, not the source, is what the next
// one is predicted from, so the stream never drifts.
#include <cstdint>
#include <memory>
#include <vector>

#include "codec/video/video_decoder.h"

namespace sim {

class SceneEncoder {
 public:
  // `width` and `height` whole macroblocks; `quant` 2..31; an intra picture
  // every `intraPeriod` pictures.
  SceneEncoder(int width, int height, int fps, int quant, int intraPeriod);
  bool ok() const { return !config_.empty(); }
  const std::vector<uint8_t>& config() const { return config_; }
  // One I420 picture of the encoder's size: its coded unit.
  std::vector<uint8_t> Encode(const uint8_t* i420);

 private:
  class Bits;
  void IntraMacroblock(Bits& bits, const uint8_t* picture, int mbx, int mby);
  bool InterMacroblock(Bits& bits, const uint8_t* picture, int mbx, int mby);

  int width_, height_, fps_, quant_, intra_period_;
  int mb_width_, mb_height_;
  int64_t index_ = 0;
  std::vector<uint8_t> config_;
  std::vector<uint8_t> reference_;     // the last coded picture as a decoder sees it
  std::vector<int> dc_luma_, dc_cb_, dc_cr_;  // reconstructed DC per block, for DC prediction
  codec::VideoDecoder decoder_{codec::VideoDecoder::KernelChoice::Plain};
};

}  // namespace sim
