#include "present/win32/wave_in_device.h"

#include "present/win32/direct_sound_output.h"

namespace present {

bool WaveInDevice::Probe() {
  WAVEFORMATEX format = PlaybackFormat();
  HWAVEIN probe = nullptr;
  if (waveInOpen(&probe, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  waveInClose(probe);
  return true;
}

bool WaveInDevice::Open(Client& client) {
  if (device_) return true;
  WAVEFORMATEX format = PlaybackFormat();
  if (waveInOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&Callback),
                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    device_ = nullptr;
    return false;
  }
  client_ = &client;
  headers_.assign(kBuffers, WAVEHDR{});
  buffers_.assign(kBuffers, std::vector<int16_t>(kBufferBytes / 2));
  for (int i = 0; i < kBuffers; ++i) {
    headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
    headers_[i].dwBufferLength = kBufferBytes;
    headers_[i].dwLoops = 1;
  }
  return true;
}

bool WaveInDevice::Start() {
  if (!device_) return false;
  running_ = true;
  for (WAVEHDR& h : headers_) {
    h.dwFlags = 0;
    h.dwBytesRecorded = 0;
    if (waveInPrepareHeader(device_, &h, sizeof h) != MMSYSERR_NOERROR ||
        waveInAddBuffer(device_, &h, sizeof h) != MMSYSERR_NOERROR) {
      Stop();
      return false;
    }
  }
  if (waveInStart(device_) == MMSYSERR_NOERROR) return true;
  Stop();
  return false;
}

// The callback checks the running flag under its mutex: once the flag is
// clear and the mutex has been passed, no callback touches a buffer or the
// client again. waveInReset is then called without the mutex, because it
// waits for the wave thread, which may be waiting for the mutex.
void WaveInDevice::Stop() {
  running_ = false;
  { std::lock_guard<std::mutex> fence(callback_mutex_); }
  if (device_) waveInReset(device_);
}

void WaveInDevice::Close() {
  if (!device_) return;
  running_ = false;
  { std::lock_guard<std::mutex> fence(callback_mutex_); }
  waveInReset(device_);
  UnprepareAll();
  waveInClose(device_);
  device_ = nullptr;
  client_ = nullptr;
  headers_.clear();
  buffers_.clear();
}

void WaveInDevice::UnprepareAll() {
  for (WAVEHDR& h : headers_)
    if (h.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(device_, &h, sizeof h);
}

void CALLBACK WaveInDevice::Callback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  if (message != WIM_DATA) return;
  reinterpret_cast<WaveInDevice*>(instance)->OnData(reinterpret_cast<WAVEHDR*>(param1));
}

void WaveInDevice::OnData(WAVEHDR* header) {
  if (!running_.load()) return;
  std::lock_guard<std::mutex> lock(callback_mutex_);
  if (!running_.load()) return;
  waveInUnprepareHeader(device_, header, sizeof *header);
  client_->OnWaveBlock(reinterpret_cast<const int16_t*>(header->lpData), int(header->dwBytesRecorded / 2));
  header->dwBytesRecorded = 0;
  waveInPrepareHeader(device_, header, sizeof *header);
  waveInAddBuffer(device_, header, sizeof *header);
}

}  // namespace present
