#include "present/microphone.h"

#include "os/debug_log.h"

namespace present {

Microphone::Microphone(WaveInput& device, SpeakerLinks& links)
    : capture_(device, queue_), sender_(queue_, links) {}

Microphone::~Microphone() { Off(); }

int Microphone::On() {
  if (on_) return 0;
  encoder_.Reset();
  queue_.Clear();
  if (capture_.Open() != 0) {
    if (!failure_logged_) DebugLog("Microphone : no sound capture device\n");
    failure_logged_ = true;
    return -1;
  }
  capture_.SetEncoder(&encoder_);
  if (capture_.Start() != 0) {
    capture_.Close();
    if (!failure_logged_) DebugLog("Microphone : sound capture does not start\n");
    failure_logged_ = true;
    return -1;
  }
  sender_.Start();
  on_ = true;
  return 0;
}

void Microphone::Off() {
  if (!on_) return;
  sender_.Stop();
  capture_.Stop();
  capture_.Close();
  on_ = false;
}

}  // namespace present
