// Feeds arbitrary units to a VideoDecoder. Input layout: one byte choosing the
// configured size and post-filter, then units, each a 2-byte big-endian length
// and that many bytes (capped at 64 KiB). Each unit is copied into a buffer of
// exactly its size so that any read past it is caught.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "codec/video/video_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const int kSizes[8][2] = {{176, 144}, {128, 96}, {352, 288}, {320, 240},
                                   {16, 16},   {640, 240}, {704, 576}, {48, 32}};
  const int choice = data[0];
  codec::VideoDecoder dec;
  dec.SetSize(kSizes[choice & 7][0], kSizes[choice & 7][1]);
  dec.SetPostFilter((choice & 8) != 0, (choice & 16) != 0);
  size_t pos = 1;
  int units = 0;
  std::vector<uint8_t> out;
  while (pos + 2 <= size && units < 64) {
    size_t len = size_t(data[pos]) << 8 | data[pos + 1];
    pos += 2;
    if (len > size - pos) len = size - pos;
    std::unique_ptr<uint8_t[]> unit(new uint8_t[len ? len : 1]);
    if (len) std::memcpy(unit.get(), data + pos, len);
    pos += len;
    int r = dec.Decode(len ? unit.get() : nullptr, len);
    if (r < 0 || r > 2) __builtin_trap();
    codec::DecodedPicture pic;
    pic.width = dec.Width();
    pic.height = dec.Height();
    out.resize(pic.Size());
    pic.data = out.data();
    dec.ProducePicture(pic);
    if ((choice & 32) && units == 3) dec.Release();
    ++units;
  }
  return 0;
}
