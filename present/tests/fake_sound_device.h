#pragma once
// A sound device whose buffers are plain memory: the test moves the play
// cursor and reads back what a NodePlayback wrote where.
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "present/node_playback.h"
#include "present/sound_device.h"
#include "present/sound_source.h"

namespace present::testing {

class FakeBuffer : public SoundBuffer {
 public:
  explicit FakeBuffer(uint32_t bytes) : bytes(bytes, 0xEE) {}
  bool Playing() override { return playing; }
  uint32_t PlayCursor() override { return cursor; }
  void Play() override {
    playing = true;
    ++plays;
  }
  void Stop() override { playing = false; }
  bool Write(uint32_t offset, const uint8_t* data, uint32_t length) override {
    writes.push_back(offset);
    if (offset + length > bytes.size()) return false;
    std::memcpy(&bytes[offset], data, length);
    return true;
  }
  void SetVolume(int percent) override { volume = percent; }
  // The first sample of the block at `index`.
  int16_t BlockSample(int index) const {
    int16_t s;
    std::memcpy(&s, &bytes[size_t(index) * NodePlayback::kBlockBytes], 2);
    return s;
  }

  std::vector<uint8_t> bytes;
  std::vector<uint32_t> writes;
  bool playing = false;
  uint32_t cursor = 0;
  int plays = 0;
  int volume = 100;
};

class FakeDevice : public SoundDevice {
 public:
  std::unique_ptr<SoundBuffer> CreateBuffer(uint32_t size) override {
    if (fail) return nullptr;
    auto b = std::make_unique<FakeBuffer>(size);
    last = b.get();
    return b;
  }
  bool fail = false;
  FakeBuffer* last = nullptr;
};

// The received units in the order they came, decoded, as the node's media
// worker hands its sound to the playback. Every sample of a unit carries the
// unit's marker, so a block shows which unit filled it.
class UnitSource : public SoundSource {
 public:
  void Push(int16_t marker, int samples = 512) { units_.emplace_back(size_t(samples), marker); }
  int Waiting() const override { return static_cast<int>(units_.size()); }
  void DropOldest() override {
    if (!units_.empty()) units_.pop_front();
  }
  bool TakeOldest(SoundSamples* out) override {
    if (units_.empty()) return false;
    taken_ = std::move(units_.front());
    units_.pop_front();
    out->samples = taken_.data();
    out->count = static_cast<int>(taken_.size());
    return true;
  }

 private:
  std::deque<std::vector<int16_t>> units_;
  std::vector<int16_t> taken_;
};

}  // namespace present::testing
