#include "present/microphone_capture.h"

#include "os/clock.h"
#include "os/thread_name.h"
#include "os/thread_priority.h"

namespace present {

MicrophoneCapture::MicrophoneCapture(WaveInput& device, SpeakerQueue& output) : m_device(device), m_output(output) {}

MicrophoneCapture::~MicrophoneCapture() {
  Stop();
  Close();
}

int MicrophoneCapture::Open() {
  if (m_open) return 0;
  m_open = m_device.Open(*this);
  return m_open ? 0 : -1;
}

int MicrophoneCapture::Start() {
  if (!m_open || m_running.load()) return -1;
  m_queue.Clear();
  m_handedOn = 0;
  m_running = true;
  m_thread = std::thread([this] {
    os::NameCurrentThread("microphone");
    ThreadLoop();
  });
  if (m_device.Start()) return 0;
  Stop();
  return -1;
}

void MicrophoneCapture::Stop() {
  if (!m_running.exchange(false)) return;
  if (m_thread.joinable()) m_thread.join();
  m_device.Stop();
}

void MicrophoneCapture::Close() {
  if (!m_open) return;
  m_device.Close();
  m_open = false;
}

void MicrophoneCapture::OnWaveBlock(const int16_t* samples, int sampleCount) {
  m_queue.DropOldestIfFull();
  if (!m_detector.Detect(samples, sampleCount)) return;
  m_queue.Push(samples, uint32_t(sampleCount) * 2, os::MonotonicMs());
}

void MicrophoneCapture::ThreadLoop() {
  os::SetCurrentThreadPriority(os::ThreadPriority::kHighest);
  while (m_running.load()) {
    if (!ProcessOne()) os::SleepMs(kIdleSleepMs);
  }
}

bool MicrophoneCapture::ProcessOne() {
  CapturedBlock block;
  if (!m_queue.Pop(&block)) return false;
  if (m_encoder) {
    uint8_t encoded[CapturedBlock::kBytes];
    const int n = m_encoder->Encode(block.samples, int(block.bytes), encoded);
    // A scrap of a few bytes is not worth a message.
    if (n > 4) m_output.Push(encoded, uint32_t(n), block.timeMs);
  }
  ++m_handedOn;
  return true;
}

}  // namespace present
