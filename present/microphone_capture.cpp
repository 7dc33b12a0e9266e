#include "present/microphone_capture.h"

#include "os/clock.h"
#include "os/thread_name.h"
#include "os/thread_priority.h"

namespace present {

MicrophoneCapture::MicrophoneCapture(WaveInput& device, SpeakerQueue& output) : device_(device), output_(output) {}

MicrophoneCapture::~MicrophoneCapture() {
  Stop();
  Close();
}

int MicrophoneCapture::Open() {
  if (open_) return 0;
  open_ = device_.Open(*this);
  return open_ ? 0 : -1;
}

int MicrophoneCapture::Start() {
  if (!open_ || running_.load()) return -1;
  queue_.Clear();
  handed_on_ = 0;
  running_ = true;
  thread_ = std::thread([this] {
    os::NameCurrentThread("microphone");
    ThreadLoop();
  });
  if (device_.Start()) return 0;
  Stop();
  return -1;
}

void MicrophoneCapture::Stop() {
  if (!running_.exchange(false)) return;
  if (thread_.joinable()) thread_.join();
  device_.Stop();
}

void MicrophoneCapture::Close() {
  if (!open_) return;
  device_.Close();
  open_ = false;
}

void MicrophoneCapture::OnWaveBlock(const int16_t* samples, int sampleCount) {
  queue_.DropOldestIfFull();
  if (!detector_.Detect(samples, sampleCount)) return;
  queue_.Push(samples, uint32_t(sampleCount) * 2, os::MonotonicMs());
}

void MicrophoneCapture::ThreadLoop() {
  os::SetCurrentThreadPriority(os::ThreadPriority::kHighest);
  while (running_.load()) {
    if (!ProcessOne()) os::SleepMs(kIdleSleepMs);
  }
}

bool MicrophoneCapture::ProcessOne() {
  CapturedBlock block;
  if (!queue_.Pop(&block)) return false;
  if (encoder_) {
    uint8_t encoded[CapturedBlock::kBytes];
    const int n = encoder_->Encode(block.samples, int(block.bytes), encoded);
    // A scrap of a few bytes is not worth a message.
    if (n > 4) output_.Push(encoded, uint32_t(n), block.timeMs);
  }
  ++handed_on_;
  return true;
}

}  // namespace present
