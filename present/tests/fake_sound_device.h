#pragma once
// A sound device whose buffers are plain memory: the test moves the play
// cursor and reads back what a NodePlayback wrote where.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "present/node_playback.h"
#include "present/sound_device.h"

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

}  // namespace present::testing
