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

  bool Probe() { return device_.Probe(); }
  int Open();
  // The encoder to use; set before Start and kept by the owner.
  void SetEncoder(codec::AdpcmEncoder* encoder) { encoder_ = encoder; }
  int Start();
  void Stop();
  void Close();

  bool Running() const { return running_.load(); }
  uint64_t BlocksHandedOn() const { return handed_on_.load(); }
  const CaptureQueue& Queue() const { return queue_; }
  VoiceDetector& Detector() { return detector_; }

 private:
  void OnWaveBlock(const int16_t* samples, int sampleCount) override;
  void ThreadLoop();
  bool ProcessOne();

  WaveInput& device_;
  SpeakerQueue& output_;
  codec::AdpcmEncoder* encoder_ = nullptr;
  CaptureQueue queue_;
  VoiceDetector detector_;  // wave thread only while running
  bool open_ = false;
  std::atomic<bool> running_{false};
  std::atomic<uint64_t> handed_on_{0};
  std::thread thread_;
};

}  // namespace present
