#pragma once
// The application's sound output (owned by the main window): the
// DirectSound object on the default device at the exclusive cooperative
// level with its primary buffer. It makes the nodes' secondary buffers.
// Without a sound device (or sound server) Open fails, says so in the log
// once, and nodes then play nothing.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <memory>

#include "os/win32/com_ptr.h"
#include "present/sound_device.h"

namespace present {

// PCM, mono, 8000 Hz, 16 bits.
WAVEFORMATEX PlaybackFormat();

class DirectSoundOutput : public SoundDevice {
 public:
  DirectSoundOutput() = default;
  ~DirectSoundOutput() override { Close(); }
  DirectSoundOutput(const DirectSoundOutput&) = delete;
  DirectSoundOutput& operator=(const DirectSoundOutput&) = delete;

  int Open(HWND window);
  void Close();
  bool Ready() const { return ready_; }

  std::unique_ptr<SoundBuffer> CreateBuffer(uint32_t bytes) override;

 private:
  win32::ComPtr<IDirectSound> sound_;
  win32::ComPtr<IDirectSoundBuffer> primary_;
  bool ready_ = false;
};

}  // namespace present
