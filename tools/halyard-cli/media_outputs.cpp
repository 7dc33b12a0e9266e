#include "media_outputs.h"

#include "codec/audio/adpcm.h"
#include "net/byte_order.h"
#include "present/picture_file.h"

namespace cli {

void SnapshotSink::ShowPicture(const codec::DecodedPicture& picture) {
  if (taken_ || !picture.data || picture.width <= 0 || picture.height <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  i420_.assign(picture.data, picture.data + picture.Size());
  width_ = picture.width;
  height_ = picture.height;
  taken_ = true;
}

std::vector<uint8_t> SnapshotSink::Bmp() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return present::EncodeBmp(codec::DecodedPicture{const_cast<uint8_t*>(i420_.data()), width_, height_});
}

bool PcmFileFeeder::FeedOne(present::SoundSource& sound) {
  present::SoundSamples pcm;
  if (!sound.TakeOldest(&pcm)) return false;
  const int bytes = pcm.count * 2;
  // Raw PCM is little-endian whatever the machine.
  std::vector<uint8_t> le(static_cast<size_t>(bytes));
  for (int i = 0; i < pcm.count; ++i)
    net::PutLE16(&le[2 * static_cast<size_t>(i)], static_cast<uint16_t>(pcm.samples[i]));
  std::fwrite(le.data(), 1, le.size(), out_);
  bytes_ += static_cast<uint64_t>(bytes);
  return true;
}

}  // namespace cli
