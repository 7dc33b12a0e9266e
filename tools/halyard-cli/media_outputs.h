#pragma once
// Where halyard-cli sends a node's pictures and sound instead of a window
// and a sound card: the first picture kept for a snapshot, decoded audio
// written to a raw PCM file.
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "node/media/media_ring.h"
#include "present/picture_sink.h"
#include "present/playback_feeder.h"

namespace cli {

class SnapshotSink : public present::PictureSink {
 public:
  void ShowPicture(const codec::DecodedPicture& picture) override;
  void Resize(int, int) override {}
  bool taken() const { return taken_; }
  // The picture as 24-bit BMP file bytes.
  std::vector<uint8_t> Bmp() const;

 private:
  mutable std::mutex mutex_;
  std::atomic<bool> taken_{false};
  std::vector<uint8_t> i420_;
  int width_ = 0, height_ = 0;
};

class PcmFileFeeder : public present::PlaybackFeeder {
 public:
  explicit PcmFileFeeder(std::FILE* out) : out_(out) {}
  bool IsOpen() const override { return true; }
  bool FeedOne(present::SoundSource& sound) override;
  uint64_t bytes_written() const { return bytes_; }

 private:
  std::FILE* out_;
  std::atomic<uint64_t> bytes_{0};
};

}  // namespace cli
