#include "media_outputs.h"

#include "codec/audio/adpcm.h"
#include "net/byte_order.h"
#include "present/i420_convert.h"

namespace cli {

void SnapshotSink::ShowPicture(const DecodedPicture& picture) {
  if (taken_ || !picture.data || picture.width <= 0 || picture.height <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  i420_.assign(picture.data, picture.data + picture.Size());
  width_ = picture.width;
  height_ = picture.height;
  taken_ = true;
}

std::vector<uint8_t> SnapshotSink::Bmp() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int stride = (width_ * 3 + 3) & ~3;  // BMP rows are padded to four bytes
  const uint32_t pixels = static_cast<uint32_t>(stride) * static_cast<uint32_t>(height_);
  std::vector<uint8_t> bmp(54 + pixels, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  net::PutLE32(&bmp[2], static_cast<uint32_t>(bmp.size()));
  net::PutLE32(&bmp[10], 54);
  net::PutLE32(&bmp[14], 40);
  net::PutLE32(&bmp[18], static_cast<uint32_t>(width_));
  net::PutLE32(&bmp[22], static_cast<uint32_t>(height_));  // positive: rows bottom-up
  net::PutLE16(&bmp[26], 1);
  net::PutLE16(&bmp[28], 24);
  net::PutLE32(&bmp[34], pixels);
  const uint8_t* y = i420_.data();
  const uint8_t* u = y + width_ * height_;
  const uint8_t* v = u + (width_ / 2) * (height_ / 2);
  present::I420ToBgr24BottomUp(y, u, v, width_, height_, &bmp[54], stride);
  return bmp;
}

bool PcmFileFeeder::FeedOne(node::MediaRing& audio, codec::AudioDecoder& decoder) {
  const int slot = audio.BeginRead();
  if (slot < 0) return false;
  const node::MediaUnit& unit = audio.Slot(slot);
  samples_.resize(static_cast<size_t>(codec::AdpcmDecodedSize(static_cast<int>(unit.length)) / 2 + 8));
  const int bytes = decoder.Decode(unit.Data(), static_cast<int>(unit.length), samples_.data());
  audio.CommitRead();
  // Raw PCM is little-endian whatever the machine.
  std::vector<uint8_t> le(static_cast<size_t>(bytes));
  for (int i = 0; i < bytes / 2; ++i) net::PutLE16(&le[2 * static_cast<size_t>(i)], static_cast<uint16_t>(samples_[i]));
  std::fwrite(le.data(), 1, le.size(), out_);
  bytes_ += static_cast<uint64_t>(bytes);
  return true;
}

}  // namespace cli
