// The mixer over a fake output whose play cursor the test moves: voices add
// at their volumes and clip, a stopped voice keeps its place, a voice plays
// only what was written and then waits, the output is
// mixed a lead ahead of its cursor with silence behind the mix, a mixer
// that fell behind resumes at the cursor, the output rests after a second
// with nothing playing, and a node's playback through a voice is heard in
// the order it was received.
#include "present/sound_mixer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "os/tests/log_capture.h"
#include "present/node_playback.h"
#include "present/tests/fake_sound_device.h"

namespace present {
namespace {

using testing::FakeBuffer;
using testing::FakeDevice;

constexpr uint32_t kLead = SoundMixer::kLeadBytes;
constexpr uint32_t kVoiceBytes = 4096;

int16_t SampleAt(const FakeBuffer& buffer, uint32_t byte) {
  int16_t s;
  std::memcpy(&s, &buffer.bytes[byte % SoundMixer::kOutputBytes], 2);
  return s;
}

void Fill(SoundBuffer& voice, int16_t value, uint32_t bytes = kVoiceBytes) {
  const std::vector<int16_t> samples(bytes / 2, value);
  ASSERT_TRUE(voice.Write(0, reinterpret_cast<const uint8_t*>(samples.data()), bytes));
}

class Mixer : public ::testing::Test {
 protected:
  std::unique_ptr<SoundBuffer> Voice(int16_t value) {
    auto voice = mixer_.CreateBuffer(kVoiceBytes);
    EXPECT_TRUE(voice);
    if (!voice) return voice;
    Fill(*voice, value);
    output_ = device_.last;
    return voice;
  }
  // The output's cursor moves on by `bytes`, then the mixer's pass.
  void Play(uint32_t bytes) {
    output_->cursor = (output_->cursor + bytes) % SoundMixer::kOutputBytes;
    mixer_.MixOnce();
  }

  FakeDevice device_;
  SoundMixer mixer_{device_};
  FakeBuffer* output_ = nullptr;
};

TEST_F(Mixer, VoicesAddAtTheirVolumesAndTheSumClips) {
  auto a = Voice(1000);
  auto b = Voice(3000);
  b->SetVolume(50);
  a->Play();
  b->Play();
  mixer_.MixOnce();
  ASSERT_TRUE(output_->playing);
  EXPECT_EQ(2500, SampleAt(*output_, 0));
  EXPECT_EQ(2500, SampleAt(*output_, kLead - 2));
  EXPECT_EQ(0, SampleAt(*output_, kLead)) << "silence behind the mix";

  Fill(*a, 30000);
  Fill(*b, 30000);
  b->SetVolume(100);
  Play(kLead);
  EXPECT_EQ(32767, SampleAt(*output_, kLead));
  Fill(*a, -30000);
  Fill(*b, -30000);
  Play(kLead);
  EXPECT_EQ(-32768, SampleAt(*output_, 2 * kLead));
  a->SetVolume(0);
  b->SetVolume(0);
  Play(kLead);
  EXPECT_EQ(0, SampleAt(*output_, 3 * kLead));
}

TEST_F(Mixer, AStoppedVoiceIsLeftOutAndKeepsItsPlace) {
  auto a = Voice(1000);
  auto b = Voice(200);
  a->Play();
  b->Play();
  mixer_.MixOnce();
  EXPECT_EQ(kLead, b->PlayCursor()) << "a voice's cursor is where the mixer read it to";
  b->Stop();  // its view muted
  Play(640);
  EXPECT_EQ(1000, SampleAt(*output_, kLead + 638));
  EXPECT_EQ(kLead, b->PlayCursor());
  EXPECT_EQ(kLead + 640, a->PlayCursor());
  b->Play();
  Play(640);
  EXPECT_EQ(1200, SampleAt(*output_, kLead + 640));
  EXPECT_EQ(kLead + 640, b->PlayCursor());
}

TEST_F(Mixer, AVoicePlaysWhatWasWrittenWaitsAtItsEndAndAWritePastItsEndWraps) {
  auto a = mixer_.CreateBuffer(kVoiceBytes);
  output_ = device_.last;
  Fill(*a, 5, 2000);
  a->Play();
  mixer_.MixOnce();
  Play(kLead);
  EXPECT_EQ(5, SampleAt(*output_, 1998));
  EXPECT_EQ(0, SampleAt(*output_, 2000)) << "silence, not the voice's old sound";
  EXPECT_EQ(2000u, a->PlayCursor()) << "waiting at the end of what was written";
  const uint32_t resumed = 2 * kLead;  // where the next sound lands in the output

  const std::vector<int16_t> more((kVoiceBytes - 2000) / 2, 6);
  ASSERT_TRUE(a->Write(2000, reinterpret_cast<const uint8_t*>(more.data()), kVoiceBytes - 2000));
  const int16_t tail[4] = {1, 2, 3, 4};
  ASSERT_TRUE(a->Write(kVoiceBytes - 4, reinterpret_cast<const uint8_t*>(tail), 8));
  EXPECT_FALSE(a->Write(kVoiceBytes, reinterpret_cast<const uint8_t*>(tail), 2)) << "outside the buffer";
  EXPECT_FALSE(a->Write(0, reinterpret_cast<const uint8_t*>(tail), kVoiceBytes + 2));
  for (int pass = 0; pass < 4; ++pass) Play(kLead);
  const uint32_t end = resumed + (kVoiceBytes - 2000);
  EXPECT_EQ(6, SampleAt(*output_, resumed));
  EXPECT_EQ(1, SampleAt(*output_, end - 4));
  EXPECT_EQ(2, SampleAt(*output_, end - 2));
  EXPECT_EQ(3, SampleAt(*output_, end)) << "written past the voice's end, played from its start";
  EXPECT_EQ(4, SampleAt(*output_, end + 2));
  EXPECT_EQ(0, SampleAt(*output_, end + 4));
  EXPECT_EQ(4u, a->PlayCursor());
}

TEST_F(Mixer, AMixerHeldUpResumesAtTheCursorAndSaysSo) {
  auto a = Voice(700);
  a->Play();
  mixer_.MixOnce();
  LogCapture log;
  Play(4000);  // 250 ms without a pass: the output played the silence behind the mix
  EXPECT_TRUE(log.Mentions("SoundMixer : play cursor ran past the mixed sound"));
  EXPECT_EQ(700, SampleAt(*output_, 4000));
  EXPECT_EQ(0, SampleAt(*output_, 4000 + kLead));
  EXPECT_EQ(2 * kLead, a->PlayCursor()) << "the voice is not skipped for the time lost";
  Play(320);
  EXPECT_EQ(1u, log.Lines().size()) << "an ordinary pass is not a stall";
}

TEST_F(Mixer, TheOutputRestsAfterASecondWithNothingPlayingAndRestartsAtItsCursor) {
  auto a = Voice(500);
  a->Play();
  mixer_.MixOnce();
  a->Stop();
  for (uint32_t played = 0; played < SoundMixer::kOutputBytes; played += 800) Play(800);
  EXPECT_FALSE(output_->playing);
  const uint32_t at = output_->cursor;
  mixer_.MixOnce();
  EXPECT_FALSE(output_->playing) << "nothing to play";
  a->Play();
  mixer_.MixOnce();
  EXPECT_TRUE(output_->playing);
  EXPECT_EQ(500, SampleAt(*output_, at));
  EXPECT_EQ(2, output_->plays);
}

TEST_F(Mixer, WithoutAnOutputBufferThereIsNoVoice) {
  device_.fail = true;
  EXPECT_EQ(nullptr, mixer_.CreateBuffer(kVoiceBytes));
  device_.fail = false;
  EXPECT_NE(nullptr, mixer_.CreateBuffer(kVoiceBytes));
}

TEST_F(Mixer, ANodesPlaybackThroughAVoiceIsHeardInOrder) {
  NodePlayback playback;
  playback.Bind(&mixer_);
  ASSERT_TRUE(playback.CreateBuffer());
  output_ = device_.last;
  testing::UnitSource units;
  std::vector<int16_t> heard;
  uint32_t read = 0;
  // A unit every 64 ms for 2 s, the mixer every 16 ms, the output played on.
  for (int tick = 0; tick < 125; ++tick) {
    if (tick % 4 == 0) units.Push(int16_t(tick / 4 + 1));
    while (playback.FeedOne(units)) {
    }
    if (output_->playing) output_->cursor = (output_->cursor + 256) % SoundMixer::kOutputBytes;
    mixer_.MixOnce();
    for (; read != output_->cursor; read = (read + 2) % SoundMixer::kOutputBytes) heard.push_back(SampleAt(*output_, read));
  }
  std::vector<int16_t> order;
  for (int16_t s : heard)
    if (s != 0 && (order.empty() || order.back() != s)) order.push_back(s);
  ASSERT_GE(order.size(), 25u);
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(int16_t(i + 1), order[i]) << "unit " << i + 1;
}

TEST(MixerThread, StartsTheOutputWhenAVoicePlaysAndLetsItGoOnStop) {
  FakeDevice device;
  SoundMixer mixer(device);
  mixer.Start();
  auto voice = mixer.CreateBuffer(kVoiceBytes);
  ASSERT_TRUE(voice);
  Fill(*voice, 100);
  voice->Play();
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (voice->PlayCursor() == 0 && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(kLead, voice->PlayCursor());
  mixer.Stop();
  voice->Play();  // a voice held past the mixer's end plays nothing, and harms nothing
  EXPECT_EQ(kLead, voice->PlayCursor());
}

}  // namespace
}  // namespace present
