#pragma once
// The seam under microphone capture: the multimedia wave-in service (the
// wave mapper in the sound format of sound_device.h, 30 buffers of 1024
// bytes circulating). The Win32 implementation is in win32/; tests drive the
// capture with a fake that hands over blocks on its own thread.
#include <cstdint>

namespace present {

class WaveInput {
 public:
  // Receives each filled buffer on the system's wave thread, under the
  // device's callback mutex, while the device runs.
  class Client {
   public:
    virtual ~Client() = default;
    virtual void OnWaveBlock(const int16_t* samples, int sampleCount) = 0;
  };

  static constexpr int kBuffers = 30;
  static constexpr int kBufferBytes = 1024;

  virtual ~WaveInput() = default;
  // Opens the mapper with the sound format and closes it again.
  virtual bool Probe() = 0;
  // Opens the device with `client` as the receiver of its buffers.
  virtual bool Open(Client& client) = 0;
  // Queues every buffer and starts recording.
  virtual bool Start() = 0;
  // Once this returns no buffer reaches the client any more; recording is reset.
  virtual void Stop() = 0;
  virtual void Close() = 0;
};

}  // namespace present
