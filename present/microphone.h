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
  bool IsOn() const { return m_on; }

  MicrophoneCapture& Capture() { return m_capture; }
  SpeakerQueue& Queue() { return m_queue; }

 private:
  codec::AdpcmEncoder m_encoder;
  SpeakerQueue m_queue;
  MicrophoneCapture m_capture;
  SpeakerSender m_sender;
  bool m_on = false;
  bool m_failureLogged = false;
};

}  // namespace present
