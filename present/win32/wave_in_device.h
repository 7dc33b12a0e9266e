#pragma once
// The wave-in service as the capture object's WaveInput: the wave mapper in
// the playback format, 30 headers of 1024 bytes each, and a callback
// function that hands each filled buffer to the client and queues it again.
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "present/wave_input.h"

namespace present {

class WaveInDevice : public WaveInput {
 public:
  WaveInDevice() = default;
  ~WaveInDevice() override { Close(); }
  WaveInDevice(const WaveInDevice&) = delete;
  WaveInDevice& operator=(const WaveInDevice&) = delete;

  bool Probe() override;
  bool Open(Client& client) override;
  bool Start() override;
  void Stop() override;
  void Close() override;

 private:
  static void CALLBACK Callback(HWAVEIN device, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);
  void OnData(WAVEHDR* header);
  void UnprepareAll();

  HWAVEIN device_ = nullptr;
  Client* client_ = nullptr;
  std::vector<WAVEHDR> headers_;
  std::vector<std::vector<int16_t>> buffers_;
  std::mutex callback_mutex_;
  std::atomic<bool> running_{false};
};

}  // namespace present
