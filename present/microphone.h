#pragma once
// Microphone on and off (the main window's menu): the encoder, the capture
// object, the `SpeakerQueue` and the speaker sender as one unit. Without a
// capture device switching on fails, says so in the log once, and nothing
// else changes.
#include "codec/audio/adpcm.h"
#include "present/microphone_capture.h"
#include "present/speaker_queue.h"
#include "present/speaker_sender.h"
#include "present/wave_input.h"

namespace present {

class Microphone {
 public:
  Microphone(WaveInput& device, SpeakerLinks& links);
  ~Microphone();
  Microphone(const Microphone&) = delete;
  Microphone& operator=(const Microphone&) = delete;

  // 0 when the microphone runs, -1 when it could not start.
  int On();
  void Off();
  bool IsOn() const { return on_; }

  MicrophoneCapture& Capture() { return capture_; }
  SpeakerQueue& Queue() { return queue_; }

 private:
  codec::AdpcmEncoder encoder_;
  SpeakerQueue queue_;
  MicrophoneCapture capture_;
  SpeakerSender sender_;
  bool on_ = false;
  bool failure_logged_ = false;
};

}  // namespace present
