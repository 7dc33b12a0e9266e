#pragma once
// The capture object: microphone blocks from the wave-in callback pass the
// voice detector into the capture queue; the capture thread encodes each
// queued block (1024 bytes of PCM to 192 bytes of ADPCM) and pushes it with
// its capture time onto the `SpeakerQueue`.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "codec/audio/adpcm.h"
#include "present/capture_queue.h"
#include "present/speaker_queue.h"
#include "present/voice_detector.h"
#include "present/wave_input.h"

namespace present {

class MicrophoneCapture : private WaveInput::Client {
 public:
  static constexpr int kIdleSleepMs = 30;

  MicrophoneCapture(WaveInput& device, SpeakerQueue& output);
  ~MicrophoneCapture() override;
  MicrophoneCapture(const MicrophoneCapture&) = delete;
  MicrophoneCapture& operator=(const MicrophoneCapture&) = delete;

  bool Probe() { return m_device.Probe(); }
  int Open();
  // The encoder to use; set before Start and kept by the owner.
  void SetEncoder(codec::AdpcmEncoder* encoder) { m_encoder = encoder; }
  int Start();
  void Stop();
  void Close();

  bool Running() const { return m_running.load(); }
  uint64_t BlocksHandedOn() const { return m_handedOn.load(); }
  const CaptureQueue& Queue() const { return m_queue; }
  VoiceDetector& Detector() { return m_detector; }

 private:
  void OnWaveBlock(const int16_t* samples, int sampleCount) override;
  void ThreadLoop();
  bool ProcessOne();

  WaveInput& m_device;
  SpeakerQueue& m_output;
  codec::AdpcmEncoder* m_encoder = nullptr;
  CaptureQueue m_queue;
  VoiceDetector m_detector;  // wave thread only while running
  bool m_open = false;
  std::atomic<bool> m_running{false};
  std::atomic<uint64_t> m_handedOn{0};
  std::thread m_thread;
};

}  // namespace present
