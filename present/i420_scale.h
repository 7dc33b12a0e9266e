#pragma once
// Stretching an I420 picture to another size with bilinear filtering: each
// output sample weighs the four source samples around its centre, so a
// picture shown larger than it was decoded has soft edges instead of the
// stair steps of repeated pixels. Each plane is scaled on its own; sizes
// are even, as I420 needs.
#include <cstdint>
#include <vector>

#include "codec/video/video_decoder.h"

namespace present {

// `out` is resized to the picture at width x height; the returned picture
// points into it. Same size: a plain copy.
codec::DecodedPicture ScaleI420(const codec::DecodedPicture& in, int width, int height, std::vector<uint8_t>* out);

// One plane (rows tightly packed) from sw x sh onto dw x dh.
void ScalePlane(const uint8_t* src, int sw, int sh, uint8_t* dst, int dw, int dh);

}  // namespace present
