#include "present/sound_mixer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "os/debug_log.h"
#include "os/thread_name.h"

namespace present {

namespace {

constexpr int kFullGain = 256;  // a voice's gain in 1/256ths

// One voice's sound as the mixer reads it: a looping ring of samples.
struct VoiceState {
  explicit VoiceState(uint32_t bytes) : samples(bytes / 2, 0) {}
  std::vector<int16_t> samples;
  uint32_t cursor = 0;    // samples
  uint32_t readable = 0;  // samples from the cursor to the end of the last write
  bool playing = false;
  int gain = kFullGain;
};

}  // namespace

struct SoundMixer::Voices {
  std::mutex lock;
  std::vector<VoiceState*> list;

  bool Empty() {
    std::lock_guard<std::mutex> hold(lock);
    return list.empty();
  }

  bool AnyPlaying() {
    std::lock_guard<std::mutex> hold(lock);
    return std::any_of(list.begin(), list.end(), [](const VoiceState* v) { return v->playing; });
  }

  // Adds the next sum.size() samples of every playing voice, each at its
  // gain, and moves their cursors past them; false when none played.
  bool MixInto(std::vector<int32_t>& sum) {
    std::lock_guard<std::mutex> hold(lock);
    bool played = false;
    for (VoiceState* voice : list) {
      if (!voice->playing || voice->samples.empty()) continue;
      played = true;
      const size_t size = voice->samples.size();
      const size_t take = std::min<size_t>(sum.size(), voice->readable);
      size_t at = voice->cursor;
      for (size_t i = 0; i < take; ++i) {
        sum[i] += voice->samples[at] * voice->gain;
        if (++at == size) at = 0;
      }
      voice->cursor = uint32_t(at);
      voice->readable -= uint32_t(take);
    }
    return played;
  }
};

namespace {

class Voice : public SoundBuffer {
 public:
  Voice(std::shared_ptr<SoundMixer::Voices> voices, uint32_t bytes) : voices_(std::move(voices)), state_(bytes) {
    std::lock_guard<std::mutex> hold(voices_->lock);
    voices_->list.push_back(&state_);
  }
  ~Voice() override {
    std::lock_guard<std::mutex> hold(voices_->lock);
    auto& list = voices_->list;
    list.erase(std::remove(list.begin(), list.end(), &state_), list.end());
  }

  bool Playing() override {
    std::lock_guard<std::mutex> hold(voices_->lock);
    return state_.playing;
  }
  uint32_t PlayCursor() override {
    std::lock_guard<std::mutex> hold(voices_->lock);
    return state_.cursor * 2;
  }
  void Play() override { SetPlaying(true); }
  void Stop() override { SetPlaying(false); }

  // As a DirectSound lock would: a write past the end wraps to the start.
  // What lies between the cursor and the end of this write is what plays.
  bool Write(uint32_t offset, const uint8_t* data, uint32_t length) override {
    std::lock_guard<std::mutex> hold(voices_->lock);
    const size_t bytes = state_.samples.size() * 2;
    if (offset % 2 || length % 2 || offset >= bytes || length > bytes) return false;
    uint8_t* ring = reinterpret_cast<uint8_t*>(state_.samples.data());
    const size_t first = std::min<size_t>(length, bytes - offset);
    std::memcpy(ring + offset, data, first);
    std::memcpy(ring, data + first, length - first);
    // A write that ends at the cursor filled the whole ring.
    const uint32_t size = uint32_t(state_.samples.size());
    const uint32_t end = uint32_t((offset + length) % bytes / 2);
    const uint32_t ahead = (end + size - state_.cursor) % size;
    state_.readable = ahead == 0 ? size : ahead;
    return true;
  }

  void SetVolume(int percent) override {
    std::lock_guard<std::mutex> hold(voices_->lock);
    state_.gain = std::clamp(percent, 0, 100) * kFullGain / 100;
  }

 private:
  void SetPlaying(bool playing) {
    std::lock_guard<std::mutex> hold(voices_->lock);
    state_.playing = playing;
  }

  std::shared_ptr<SoundMixer::Voices> voices_;
  VoiceState state_;
};

uint32_t Distance(uint32_t from, uint32_t to) { return (to + SoundMixer::kOutputBytes - from) % SoundMixer::kOutputBytes; }

}  // namespace

SoundMixer::SoundMixer(SoundDevice& output) : device_(output), voices_(std::make_shared<Voices>()) {}

SoundMixer::~SoundMixer() { Stop(); }

std::unique_ptr<SoundBuffer> SoundMixer::CreateBuffer(uint32_t bytes) {
  {
    std::lock_guard<std::mutex> hold(output_lock_);
    if (!output_ && !MakeOutput()) return nullptr;
  }
  auto voice = std::make_unique<Voice>(voices_, bytes);
  {
    // A thread with no voice to mix sleeps until one comes; taking its lock
    // first means it is either asleep or yet to see this voice.
    std::lock_guard<std::mutex> hold(thread_lock_);
  }
  wake_.notify_one();
  return voice;
}

bool SoundMixer::MakeOutput() {
  output_ = device_.CreateBuffer(kOutputBytes);
  if (!output_) return false;
  const std::vector<uint8_t> silence(kOutputBytes, 0);
  output_->Write(0, silence.data(), kOutputBytes);
  output_playing_ = false;
  mix_position_ = 0;
  return true;
}

void SoundMixer::Start() {
  std::lock_guard<std::mutex> hold(thread_lock_);
  if (running_) return;
  running_ = true;
  thread_ = std::thread([this] { ThreadLoop(); });
}

void SoundMixer::Stop() {
  {
    std::lock_guard<std::mutex> hold(thread_lock_);
    running_ = false;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> hold(output_lock_);
  if (output_) output_->Stop();
  output_.reset();
  output_playing_ = false;
}

void SoundMixer::ThreadLoop() {
  os::NameCurrentThread("sound mixer");
  std::unique_lock<std::mutex> hold(thread_lock_);
  while (running_) {
    hold.unlock();
    MixOnce();
    hold.lock();
    if (!running_) break;
    if (voices_->Empty())
      wake_.wait(hold);
    else
      wake_.wait_for(hold, std::chrono::milliseconds(kTickMs));
  }
}

void SoundMixer::MixOnce() {
  std::lock_guard<std::mutex> hold(output_lock_);
  if (!output_) return;
  if (!output_playing_) {
    if (voices_->AnyPlaying()) Restart();
    return;
  }
  const uint32_t cursor = output_->PlayCursor() % kOutputBytes & ~1u;
  uint32_t ahead = Distance(cursor, mix_position_);
  if (Distance(last_cursor_, cursor) > last_ahead_) {
    // This thread was held up longer than it had mixed ahead: the output
    // played the silence behind the mix, and mixing resumes at its cursor.
    DebugLog("SoundMixer : play cursor ran past the mixed sound, resuming at it\n");
    mix_position_ = cursor;
    ahead = 0;
  }
  last_cursor_ = cursor;
  if (ahead < kLeadBytes) {
    Advance(kLeadBytes - ahead);
    ahead = kLeadBytes;
  }
  last_ahead_ = ahead;
  if (silent_bytes_ >= kOutputBytes) {  // a second with no voice playing
    output_->Stop();
    output_playing_ = false;
  }
}

// The output starts (again) where its cursor stands, the lead mixed first.
void SoundMixer::Restart() {
  mix_position_ = output_->PlayCursor() % kOutputBytes & ~1u;
  last_cursor_ = mix_position_;
  silent_bytes_ = 0;
  Advance(kLeadBytes);
  last_ahead_ = kLeadBytes;
  output_->Play();
  output_playing_ = true;
}

// Mixes `bytes` at the mix position and writes a lead of silence after them,
// which is what plays if the mixer is held up.
void SoundMixer::Advance(uint32_t bytes) {
  sum_.assign(bytes / 2, 0);
  const bool played = voices_->MixInto(sum_);
  silent_bytes_ = played ? 0 : silent_bytes_ + bytes;
  out_.assign(sum_.size() + kLeadBytes / 2, 0);
  for (size_t i = 0; i < sum_.size(); ++i) out_[i] = int16_t(std::clamp(sum_[i] / kFullGain, -32768, 32767));
  const auto* data = reinterpret_cast<const uint8_t*>(out_.data());
  const uint32_t length = uint32_t(out_.size() * 2);
  const uint32_t first = std::min(length, kOutputBytes - mix_position_);
  output_->Write(mix_position_, data, first);
  if (first < length) output_->Write(0, data + first, length - first);
  mix_position_ = (mix_position_ + bytes) % kOutputBytes;
}

}  // namespace present
