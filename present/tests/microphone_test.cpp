// Microphone to camera links without a sound card: the voice detector's
// rules, the capture and speaker queues, the capture thread's hand-off to
// the encoder and the speaker sender's message forms, over a fake wave-in
// device and fake links.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <mutex>
#include <vector>

#include "os/tests/eventually.h"
#include "os/tests/log_capture.h"
#include "present/microphone.h"

namespace present {
namespace {

using os::testing::Eventually;

std::vector<int16_t> Tone(int samples, double amplitude, double hz = 1000.0) {
  std::vector<int16_t> out(static_cast<size_t>(samples));
  for (int i = 0; i < samples; ++i) out[size_t(i)] = int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / 8000.0)));
  return out;
}

std::vector<int16_t> Silence(int samples) { return std::vector<int16_t>(size_t(samples), 0); }

// Feeds a detector chunk by chunk; returns each chunk's decision.
std::vector<bool> Chunks(VoiceDetector& d, const std::vector<int16_t>& samples) {
  std::vector<bool> out;
  for (size_t at = 0; at < samples.size(); at += VoiceDetector::kChunkSamples)
    out.push_back(d.Detect(&samples[at], VoiceDetector::kChunkSamples));
  return out;
}

TEST(VoiceDetector, VoiceGoesOnFor400SamplesAfterTheLevelFalls) {
  VoiceDetector d;
  Chunks(d, Silence(8000));  // settle after the start
  ASSERT_FALSE(Chunks(d, Silence(40)).back());
  EXPECT_TRUE(Chunks(d, Tone(40, 3000)).back()) << "a tone is voice in its first chunk";
  ASSERT_TRUE(d.Active());
  // Sample by sample (chunks of one), the level each decision uses is the
  // envelope afterwards. After the tone the envelope decays; voice lasts
  // while it is above the floor plus 15 dB, then exactly 400 samples more.
  const int16_t zero = 0;
  int below = -1;
  std::vector<bool> decisions;
  for (int sample = 0; sample < 8000; ++sample) {
    decisions.push_back(d.Detect(&zero, 1));
    const float level = VoiceDetector::LevelDb(d.Envelope());
    if (below < 0 && !(d.NoiseFloorDb() + VoiceDetector::kThresholdDb < level)) below = sample;
  }
  ASSERT_GT(below, 0) << "the level never fell";
  ASSERT_LT(below + 400, 8000);
  for (int sample = 0; sample < below + 400; ++sample) ASSERT_TRUE(decisions[size_t(sample)]) << "sample " << sample;
  EXPECT_FALSE(decisions[size_t(below + 400)]) << "the hangover is 400 samples";
  EXPECT_FALSE(d.Active());
}

// Held for 400 samples (ten chunks), then for 12000 between each rise.
TEST(VoiceDetector, NoiseFloorRisesOneDecibelAfterEachHold) {
  VoiceDetector d;
  std::vector<int16_t> quiet = Silence(40);
  const std::map<int, float> want = {{10, -74.0f}, {11, -73.0f}, {310, -73.0f}, {311, -72.0f}};
  for (int chunk = 1; chunk <= 311; ++chunk) {
    d.Detect(quiet.data(), 40);
    if (want.count(chunk)) EXPECT_FLOAT_EQ(want.at(chunk), d.NoiseFloorDb()) << "after chunk " << chunk;
  }
}

TEST(VoiceDetector, BlocksChunksAndTheSwitch) {
  VoiceDetector d;
  Chunks(d, Silence(8000));
  std::vector<int16_t> block = Silence(512);
  const std::vector<int16_t> tail = Tone(32, 4000);
  std::copy(tail.begin(), tail.end(), block.end() - 32);
  EXPECT_TRUE(d.Detect(block.data(), 512)) << "voice in the last, shorter chunk makes the block voice";

  VoiceDetector off;
  off.SetEnabled(false);
  EXPECT_TRUE(off.Detect(Silence(512).data(), 512)) << "a disabled detector passes everything";

  VoiceDetector loud;
  std::vector<int16_t> square(512);
  for (size_t i = 0; i < square.size(); ++i) square[i] = i % 2 ? 32767 : -32768;
  EXPECT_TRUE(loud.Detect(square.data(), 512));
  EXPECT_GT(loud.Envelope(), 0) << "a full-scale signal saturates the envelope instead of wrapping it";
  EXPECT_TRUE(loud.Detect(square.data(), 512));
}

TEST(Queues, CaptureAndSpeakerQueuesDropTheirOldest) {
  CaptureQueue capture;
  int16_t samples[512] = {};
  for (int i = 0; i < 12; ++i) {
    samples[0] = int16_t(i);
    capture.Push(samples, 1024, uint64_t(i));
  }
  EXPECT_EQ(CaptureQueue::kEntries, capture.Count());
  CapturedBlock oldest;
  ASSERT_TRUE(capture.Pop(&oldest));
  EXPECT_EQ(2, oldest.samples[0]) << "blocks 0 and 1 made room";
  EXPECT_EQ(2u, oldest.timeMs);
  EXPECT_EQ(1024u, oldest.bytes);

  SpeakerQueue speaker;
  uint8_t byte = 0;
  for (int i = 0; i < int(SpeakerQueue::kCapacity) + 3; ++i, ++byte) speaker.Push(&byte, 1, uint64_t(i));
  EXPECT_EQ(SpeakerQueue::kCapacity, speaker.Count());
  EXPECT_EQ(3u, speaker.Dropped());
  SpeakerBlock first;
  ASSERT_TRUE(speaker.Pop(&first));
  EXPECT_EQ(3u, first.timeMs);
}

// Hands blocks to the capture object on the test's thread, as the wave thread would.
class FakeWaveInput : public WaveInput {
 public:
  bool Probe() override { return openOk; }
  bool Open(Client& c) override {
    if (!openOk) return false;
    client = &c;
    return true;
  }
  bool Start() override { return running = true; }
  void Stop() override { running = false; }
  void Close() override { client = nullptr; }
  void Deliver(const std::vector<int16_t>& samples) {
    for (size_t at = 0; at + 512 <= samples.size(); at += 512)
      if (running && client) client->OnWaveBlock(&samples[at], 512);
  }
  bool openOk = true;
  bool running = false;
  WaveInput::Client* client = nullptr;
};

// A camera link that keeps what it was given, or refuses it (no open
// speaker channel) as a node does.
class FakeLink : public SpeakerLink {
 public:
  explicit FakeLink(bool open) : open(open) {}
  int SendSpeakerAudio(const uint8_t* data, uint32_t length) override {
    if (!open) return -1;
    std::lock_guard<std::mutex> lock(mutex);
    sent.emplace_back(data, data + length);
    return int(length);
  }
  size_t Count() { return Sent().size(); }
  std::vector<std::vector<uint8_t>> Sent() {
    std::lock_guard<std::mutex> lock(mutex);
    return sent;
  }
  bool open;
  std::mutex mutex;
  std::vector<std::vector<uint8_t>> sent;
};

class FakeLinks : public SpeakerLinks {
 public:
  void ForEachLink(const std::function<void(SpeakerLink&)>& visit) override {
    for (FakeLink* l : links) visit(*l);
  }
  std::vector<FakeLink*> links;
};

// How a block is framed for each camera is the node's (tested with
// halyard-sim's cameras of both versions); the sender's part is that every
// link is offered every block once, in order, and a refusing link stops nobody.
TEST(SpeakerSender, EveryLinkIsOfferedEveryBlockOnceInOrder) {
  FakeLink first(true), closed(false), last(true);
  FakeLinks links;
  links.links = {&first, &closed, &last};
  SpeakerQueue queue;
  SpeakerSender sender(queue, links);
  EXPECT_FALSE(sender.SendOne()) << "nothing queued";
  std::vector<std::vector<uint8_t>> blocks;
  for (int b = 0; b < 2; ++b) {
    std::vector<uint8_t> block(192);
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i + 7 * size_t(b));
    queue.Push(block.data(), 192, uint64_t(b));
    blocks.push_back(block);
  }
  ASSERT_TRUE(sender.SendOne());
  ASSERT_TRUE(sender.SendOne());
  EXPECT_FALSE(sender.SendOne());
  EXPECT_EQ(0u, queue.Count());
  EXPECT_EQ(blocks, first.Sent());
  EXPECT_EQ(blocks, last.Sent()) << "a link without a speaker channel kept the others from their sound";
  EXPECT_TRUE(closed.sent.empty());
}

TEST(Microphone, VoicedBlocksReachTheLinksEncodedAndSilenceStopsThem) {
  FakeWaveInput device;
  FakeLink link(true);
  FakeLinks links;
  links.links.push_back(&link);
  Microphone mic(device, links);
  ASSERT_EQ(0, mic.On());
  ASSERT_TRUE(device.running);
  device.Deliver(Silence(512 * 16));  // the detector settles
  ASSERT_TRUE(Eventually([&] { return mic.Capture().Queue().Count() == 0 && mic.Queue().Count() == 0; }));
  const size_t before = link.Count();

  // Six voiced blocks, delivered at the capture thread's pace.
  const std::vector<int16_t> speech = Tone(512 * 6, 6000, 440);
  for (size_t at = 0; at < speech.size(); at += 512) {
    device.Deliver(std::vector<int16_t>(speech.begin() + long(at), speech.begin() + long(at) + 512));
    ASSERT_TRUE(Eventually([&] { return mic.Capture().Queue().Count() == 0; }));
  }
  ASSERT_TRUE(Eventually([&] { return link.Count() >= before + 6; })) << "each voiced block is sent";
  const std::vector<std::vector<uint8_t>> sent = link.Sent();
  for (size_t i = before; i < sent.size(); ++i) EXPECT_EQ(192u, sent[i].size()) << "1024 bytes in, 192 out";

  device.Deliver(Silence(512 * 20));
  ASSERT_TRUE(Eventually([&] { return mic.Capture().Queue().Count() == 0 && mic.Queue().Count() == 0; }));
  os::SleepMs(50);
  const size_t afterSilence = link.Count();
  device.Deliver(Silence(512 * 10));
  os::SleepMs(100);
  EXPECT_EQ(afterSilence, link.Count()) << "lasting silence sends nothing";

  mic.Off();
  EXPECT_FALSE(device.running);
  EXPECT_FALSE(mic.IsOn());
}

TEST(Microphone, WithoutACaptureDeviceNothingStartsAndTheLogSaysSoOnce) {
  LogCapture log;
  FakeWaveInput device;
  device.openOk = false;
  FakeLinks links;
  Microphone mic(device, links);
  EXPECT_EQ(-1, mic.On());
  EXPECT_EQ(-1, mic.On());
  EXPECT_FALSE(mic.IsOn());
  int lines = 0;
  for (const auto& l : log.Lines()) lines += l.find("no sound capture device") != std::string::npos;
  EXPECT_EQ(1, lines);
  mic.Off();
}

}  // namespace
}  // namespace present
