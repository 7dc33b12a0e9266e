#include "present/win32/direct_sound_output.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "os/debug_log.h"

namespace present {

namespace {

constexpr DWORD kNodeBufferFlags =
    DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_STICKYFOCUS | DSBCAPS_GETCURRENTPOSITION2;
static_assert(kNodeBufferFlags == 0x140E0, "the node's playback buffer flags");

void LogNoSoundOnce(HRESULT hr) {
  static std::atomic<bool> logged{false};
  if (!logged.exchange(true)) DebugLog("DirectSound : no sound output ( 0x%08lX )\n", static_cast<unsigned long>(hr));
}

class DirectSoundBuffer : public SoundBuffer {
 public:
  explicit DirectSoundBuffer(win32::ComPtr<IDirectSoundBuffer> buffer) : buffer_(std::move(buffer)) {}
  ~DirectSoundBuffer() override {
    if (buffer_) buffer_->Stop();
  }

  bool Playing() override {
    DWORD status = 0;
    return SUCCEEDED(buffer_->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
  }
  uint32_t PlayCursor() override {
    DWORD play = 0, write = 0;
    if (FAILED(buffer_->GetCurrentPosition(&play, &write))) return 0;
    return play;
  }
  void Play() override { buffer_->Play(0, 0, DSBPLAY_LOOPING); }
  void Stop() override { buffer_->Stop(); }

  bool Write(uint32_t offset, const uint8_t* data, uint32_t length) override {
    void *first = nullptr, *second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    HRESULT hr = buffer_->Lock(offset, length, &first, &firstBytes, &second, &secondBytes, 0);
    if (hr == DSERR_BUFFERLOST && SUCCEEDED(buffer_->Restore()))
      hr = buffer_->Lock(offset, length, &first, &firstBytes, &second, &secondBytes, 0);
    if (FAILED(hr)) return false;
    std::memcpy(first, data, firstBytes);
    if (second && secondBytes) std::memcpy(second, data + firstBytes, secondBytes);
    buffer_->Unlock(first, firstBytes, second, secondBytes);
    return true;
  }

  // DirectSound attenuates in hundredths of a decibel.
  void SetVolume(int percent) override {
    const LONG level = percent <= 0 ? DSBVOLUME_MIN : LONG(std::lround(2000.0 * std::log10(std::min(percent, 100) / 100.0)));
    buffer_->SetVolume(level);
  }

 private:
  win32::ComPtr<IDirectSoundBuffer> buffer_;
};

}  // namespace

WAVEFORMATEX PlaybackFormat() {
  WAVEFORMATEX f = {};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = kSoundChannels;
  f.nSamplesPerSec = kSoundRate;
  f.nAvgBytesPerSec = kSoundBytesPerSecond;
  f.nBlockAlign = kSoundBlockAlign;
  f.wBitsPerSample = kSoundBits;
  return f;
}

int DirectSoundOutput::Open(HWND window) {
  Close();
  HRESULT hr = DirectSoundCreate(nullptr, sound_.Put(), nullptr);
  if (SUCCEEDED(hr)) hr = sound_->SetCooperativeLevel(window, DSSCL_EXCLUSIVE);
  if (SUCCEEDED(hr)) {
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof desc;  // 36 bytes on 32-bit Windows
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    hr = sound_->CreateSoundBuffer(&desc, primary_.Put(), nullptr);
  }
  if (FAILED(hr)) {
    LogNoSoundOnce(hr);
    Close();
    return -1;
  }
  ready_ = true;
  return 0;
}

void DirectSoundOutput::Close() {
  if (primary_) primary_->Stop();
  primary_.Reset();
  sound_.Reset();
  ready_ = false;
}

std::unique_ptr<SoundBuffer> DirectSoundOutput::CreateBuffer(uint32_t bytes) {
  if (!ready_) return nullptr;
  WAVEFORMATEX format = PlaybackFormat();
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = kNodeBufferFlags;
  desc.dwBufferBytes = bytes;
  desc.lpwfxFormat = &format;
  win32::ComPtr<IDirectSoundBuffer> buffer;
  if (FAILED(sound_->CreateSoundBuffer(&desc, buffer.Put(), nullptr))) return nullptr;
  return std::make_unique<DirectSoundBuffer>(std::move(buffer));
}

}  // namespace present
