#pragma once
// The parts of the program that outlive its windows, as Halyard.exe and the
// window tests build them: the core (hosting client, event log, node slots,
// how links are made) and the sound devices. The main window drives them;
// they are made before it and end after it. Windows only.
#include <windows.h>

#include <memory>

#include "app/program_core.h"
#include "present/microphone.h"
#include "present/sound_mixer.h"
#include "present/win32/direct_sound_output.h"
#include "present/win32/wave_in_device.h"

namespace hosting {
class HostingService;
}  // namespace hosting

namespace app {

// Posts window messages for the network threads.
class Win32Poster : public os::WindowPoster {
 public:
  bool Post(os::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) override {
    return PostMessageW(reinterpret_cast<HWND>(window), message, wparam, lparam) != FALSE;
  }
};

// The viewer options "Keep reconnecting" and the stall time, as set now.
LinkPolicy LinkPolicyFromSettings();

// The sound output the views and the Recordings window play through, and the
// microphone that speaks to the cameras whose views have it on.
class ProgramDevices {
 public:
  ProgramDevices();
  ~ProgramDevices();
  ProgramDevices(const ProgramDevices&) = delete;
  ProgramDevices& operator=(const ProgramDevices&) = delete;

  // DirectSound plays for the application whose window is `window`; every
  // view and player plays through the one mixer.
  void OpenSound(HWND window);
  // Only once no view or player is left to play through its buffers.
  void CloseSound();
  // The sound output; null when the PC has no sound device.
  present::SoundDevice* sound() { return sound_.Ready() ? &mixer_ : nullptr; }

  // The microphone sends to the speaker links of `hosting`'s nodes.
  void StartMicrophone(hosting::HostingService& hosting);
  void StopMicrophone();
  bool microphone_on() const { return microphone_ && microphone_->IsOn(); }

 private:
  present::DirectSoundOutput sound_;
  present::SoundMixer mixer_{sound_};
  present::WaveInDevice wave_in_;
  std::unique_ptr<present::SpeakerLinks> speaker_links_;
  std::unique_ptr<present::Microphone> microphone_;
};

struct ProgramParts {
  Win32Poster poster;
  ProgramCore core{poster, LinkPolicyFromSettings};
  ProgramDevices devices;
};

}  // namespace app
