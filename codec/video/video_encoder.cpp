#include "codec/video/video_encoder.h"

#include "codec/video/bit_writer.h"

namespace codec {

const char VideoEncoder::kIdentification[] = "Vantreck MPEG-4 Video Encoder 3.5.14 (2002.11.17)";

namespace {

// aspect_ratio_info codes for the pixel aspect ratios the standard names.
int AspectRatioCode(int w, int h) {
  static const int kRatios[][2] = {{1, 1}, {12, 11}, {10, 11}, {16, 11}, {40, 33}};
  for (int i = 0; i < 5; ++i)
    if (w * kRatios[i][1] == h * kRatios[i][0]) return i + 1;
  return 15;  // extended PAR follows
}

void StartCode(BitWriter& bw, uint32_t code) { bw.Put(code, 32); }

}  // namespace

int VideoEncoder::Initialise(int width, int height) {
  Free();
  // The layer header holds 13-bit sizes; pictures are whole macroblocks.
  if (width < 16 || height < 16 || width > 8176 || height > 8176 || width % 16 || height % 16) return -1;
  if (time_increment_resolution_ < 1 || time_increment_resolution_ > 65535) return -1;
  if (par_width_ < 1 || par_width_ > 255 || par_height_ < 1 || par_height_ > 255) return -1;
  if (object_version_ < 1 || object_version_ > 2 || object_priority_ < 0 || object_priority_ > 7) return -1;
  if (resilience_mode_ < 0 || resilience_mode_ > 3 || profile_and_level_ < 0 || profile_and_level_ > 255) return -1;

  padded_width_ = width + 32;
  padded_height_ = height + 32;
  mb_width_ = width / 16;
  mb_height_ = height / 16;
  // Increments run from 0 to resolution - 1, so the field holds resolution - 1
  // (at least 1 bit); a bit more at a power-of-two resolution would shift
  // every later field for a decoder.
  time_increment_bits_ = 1;
  while (time_increment_bits_ < 16 && (1 << time_increment_bits_) < time_increment_resolution_) ++time_increment_bits_;
  mb_number_bits_ = 1;
  while (mb_number_bits_ < 14 && (1 << mb_number_bits_) < MacroblockCount()) ++mb_number_bits_;
  WriteHeaders(width, height);
  return 0;
}

void VideoEncoder::WriteHeaders(int width, int height) {
  BitWriter bw(&headers_);
  StartCode(bw, 0x000001B0);
  bw.Put(static_cast<uint32_t>(profile_and_level_), 8);

  StartCode(bw, 0x000001B2);
  bw.PutBytes(reinterpret_cast<const uint8_t*>(kIdentification), sizeof kIdentification - 1);

  StartCode(bw, 0x000001B5);
  if (object_version_ == 1 && object_priority_ == 0) {
    bw.Put(0, 1);
  } else {
    bw.Put(1, 1);
    bw.Put(static_cast<uint32_t>(object_version_), 4);
    bw.Put(static_cast<uint32_t>(object_priority_), 3);
  }
  bw.Put(1, 4);  // video
  bw.Put(0, 1);  // no video_signal_type
  bw.Stuff();

  StartCode(bw, 0x00000100);

  StartCode(bw, 0x00000120);
  bw.Put(0, 1);  // random_accessible_vol
  bw.Put(1, 8);  // simple object
  bw.Put(0, 1);  // the layer takes the visual object's version
  const int aspect = AspectRatioCode(par_width_, par_height_);
  bw.Put(static_cast<uint32_t>(aspect), 4);
  if (aspect == 15) {
    bw.Put(static_cast<uint32_t>(par_width_), 8);
    bw.Put(static_cast<uint32_t>(par_height_), 8);
  }
  bw.Put(0, 1);  // vol_control_parameters
  bw.Put(0, 2);  // rectangular
  bw.Put(1, 1);
  bw.Put(static_cast<uint32_t>(time_increment_resolution_), 16);
  bw.Put(1, 1);
  // A fixed increment must fit its field and stay below the resolution;
  // one that does not (the recorder's 100 ticks at resolution 30) is not
  // claimed, since the recording's sample times carry the timing anyway.
  const bool fixedRate = ticks_per_picture_ > 0 && ticks_per_picture_ < time_increment_resolution_ &&
                         ticks_per_picture_ < (1 << time_increment_bits_);
  bw.Put(fixedRate ? 1 : 0, 1);
  if (fixedRate) bw.Put(static_cast<uint32_t>(ticks_per_picture_), time_increment_bits_);
  bw.Put(1, 1);
  bw.Put(static_cast<uint32_t>(width), 13);
  bw.Put(1, 1);
  bw.Put(static_cast<uint32_t>(height), 13);
  bw.Put(1, 1);
  bw.Put(0, 1);  // progressive
  bw.Put(1, 1);  // obmc_disable
  bw.Put(0, object_version_ == 1 ? 1 : 2);  // no sprites
  bw.Put(0, 1);  // 8-bit
  bw.Put(0, 1);  // H.263 quantisation
  if (object_version_ != 1) bw.Put(0, 1);  // no quarter-pel
  bw.Put(1, 1);  // complexity_estimation_disable
  bw.Put(resilience_mode_ == 0 ? 1 : 0, 1);  // resync_marker_disable
  const bool partitioned = resilience_mode_ >= 2;
  bw.Put(partitioned ? 1 : 0, 1);
  if (partitioned) bw.Put(resilience_mode_ == 3 ? 1 : 0, 1);  // reversible_vlc
  if (object_version_ != 1) {
    bw.Put(0, 1);  // newpred_enable
    bw.Put(0, 1);  // reduced_resolution_vop_enable
  }
  bw.Put(0, 1);  // scalability
  bw.Stuff();
  bw.Flush();
}

const uint8_t* VideoEncoder::Headers(size_t* length) const {
  *length = headers_.size();
  return headers_.empty() ? nullptr : headers_.data();
}

void VideoEncoder::Free() {
  headers_.clear();
  headers_.shrink_to_fit();
}

}  // namespace codec
