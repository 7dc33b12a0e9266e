// Received audio units of any length and content, with the play cursor
// moving anywhere, through the playback feeder: every write stays inside the
// buffer on a block boundary, and no unit is read past its end.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "present/node_playback.h"
#include "codec/audio/adpcm.h"
#include "node/media/media_ring.h"
#include "node/media/ring_sound_source.h"

namespace {

class CheckedBuffer : public present::SoundBuffer {
 public:
  bool Playing() override { return playing; }
  uint32_t PlayCursor() override { return cursor; }
  void Play() override { playing = true; }
  void Stop() override { playing = false; }
  bool Write(uint32_t offset, const uint8_t* data, uint32_t length) override {
    if (length != present::NodePlayback::kBlockBytes || offset % length != 0 ||
        offset > present::NodePlayback::kBufferBytes - length)
      std::abort();
    std::memcpy(&bytes[offset], data, length);
    return true;
  }
  void SetVolume(int) override {}
  std::vector<uint8_t> bytes = std::vector<uint8_t>(present::NodePlayback::kBufferBytes);
  bool playing = false;
  uint32_t cursor = 0;
};

class Device : public present::SoundDevice {
 public:
  std::unique_ptr<present::SoundBuffer> CreateBuffer(uint32_t size) override {
    if (size != present::NodePlayback::kBufferBytes) std::abort();
    auto b = std::make_unique<CheckedBuffer>();
    last = b.get();
    return b;
  }
  CheckedBuffer* last = nullptr;
};

uint32_t Take(const uint8_t*& p, const uint8_t* end, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes && p < end; ++i) v = v << 8 | *p++;
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Device device;
  present::NodePlayback playback;
  playback.Bind(&device);
  if (!playback.CreateBuffer()) std::abort();
  node::MediaRing ring(node::MediaRing::kAudioSlots, 64);
  codec::AdpcmDecoder decoder;
  const uint8_t* p = data;
  const uint8_t* end = data + size;
  while (p < end) {
    switch (Take(p, end, 1) % 5) {
      case 0: {  // a unit of up to 4 KiB from the input
        const uint32_t length = Take(p, end, 2) % 4097;
        const uint32_t available = uint32_t(end - p) < length ? uint32_t(end - p) : length;
        std::vector<uint8_t> unit(p, p + available);  // exact size, so overreads are caught
        p += available;
        if (!unit.empty()) ring.Push(unit.data(), uint32_t(unit.size()), 0);
        break;
      }
      case 1:
        device.last->cursor = Take(p, end, 3) % present::NodePlayback::kBufferBytes;
        break;
      case 2:
        playback.SetMute(!playback.Muted());
        break;
      case 3:
        device.last->playing = !device.last->playing;
        break;
      default:
        {
          node::RingSoundSource sound(ring, decoder);
          playback.FeedOne(sound);
        }
        break;
    }
    const int index = playback.WriteIndex();
    if (index < 0 || index > present::NodePlayback::kBlockCount) std::abort();
  }
  return 0;
}
