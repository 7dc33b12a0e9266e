// The MPEG-4 stream header writer a node carries: it writes the visual object
// sequence, user data, visual object, video object and video object layer
// headers that a recording can use as its video decoder configuration.
// It encodes no pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

class VideoEncoder {
 public:
  // Parameters, set before Initialise; the recorder sets the first five to
  // 0, 30, 1, 0, 0. Only the resilience mode and the time base reach the headers.
  int resilience_mode_ = 1;   // 0 none, 1 resync markers, 2 + data partitioning, 3 + reversible VLC
  int intra_period_ = -1;     // P pictures between I pictures; -1 one I picture only
  int picture_step_ = 1;
  int target_bit_rate_ = 0;
  int rate_control_mode_ = 0;
  int time_increment_resolution_ = 30;  // ticks per second
  int ticks_per_picture_ = 1;           // fixed_vop_time_increment; 0 no fixed rate
  int intra_quantiser_ = 10;
  int inter_quantiser_ = 10;
  int write_headers_first_ = 1;
  int profile_and_level_ = 1;   // Simple Profile, level 1
  int object_version_ = 1;     // visual_object_verid, 1 or 2
  int object_priority_ = 0;    // 0..7
  int par_width_ = 1;          // pixel aspect ratio, 1..255 each
  int par_height_ = 1;

  VideoEncoder() = default;
  virtual ~VideoEncoder() = default;

  // Frees earlier buffers, derives the geometry and writes the headers.
  // Returns 0, or -1 when a size or parameter cannot be written.
  int Initialise(int width, int height);
  // The header bytes written by Initialise (null and 0 before it).
  const uint8_t* Headers(size_t* length) const;
  void Free();

  // Derived at Initialise.
  int PaddedWidth() const { return padded_width_; }
  int PaddedHeight() const { return padded_height_; }
  int MacroblockCount() const { return mb_width_ * mb_height_; }
  int TimeIncrementBits() const { return time_increment_bits_; }
  int MacroblockNumberBits() const { return mb_number_bits_; }

  // The identification text written as user data.
  static const char kIdentification[];

 private:
  void WriteHeaders(int width, int height);

  std::vector<uint8_t> headers_;
  int padded_width_ = 0, padded_height_ = 0;
  int mb_width_ = 0, mb_height_ = 0;
  int time_increment_bits_ = 0;
  int mb_number_bits_ = 0;
};

}  // namespace codec
