// The real sound devices under Wine. With the test environment's PulseAudio
// server: an ADPCM tone of 1 kHz played by a node through the mixer (whose
// sums are its own test) comes back from the null sink's monitor, and speech fed into the
// pipe source reaches a camera link as 192-byte blocks about every 64 ms,
// which stop in silence. Without a server: nothing blocks and the log says
// so once.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "present/node_playback.h"
#include "codec/audio/adpcm.h"
#include "node/media/media_ring.h"
#include "node/media/ring_sound_source.h"
#include "os/clock.h"
#include "os/tests/log_capture.h"
#include "present/microphone.h"
#include "present/sound_mixer.h"
#include "present/win32/direct_sound_output.h"
#include "present/win32/wave_in_device.h"

namespace app::view {
namespace {

using namespace present;

// A Unix path from the environment as Wine's Z: drive sees it.
std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::string();
  std::string path = std::string("Z:") + value;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::vector<int16_t> ReadSamples(const std::string& path, long from = 0) {
  std::vector<int16_t> samples;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return samples;
  std::fseek(f, from & ~1L, SEEK_SET);
  int16_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 2, 4096, f)) > 0) samples.insert(samples.end(), buffer, buffer + n);
  std::fclose(f);
  return samples;
}

double Rms(const int16_t* s, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i) sum += double(s[i]) * s[i];
  return n ? std::sqrt(sum / double(n)) : 0;
}

// Goertzel power of one frequency over n samples at 8000 Hz.
double Power(const int16_t* s, size_t n, double hz) {
  const double k = 2 * std::cos(2 * std::numbers::pi * hz / 8000.0);
  double a = 0, b = 0;
  for (size_t i = 0; i < n; ++i) {
    const double c = s[i] + k * a - b;
    b = a;
    a = c;
  }
  return a * a + b * b - k * a * b;
}

class HiddenWindow {
 public:
  HiddenWindow() {
    hwnd = CreateWindowExW(0, L"STATIC", L"sound test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  ~HiddenWindow() { DestroyWindow(hwnd); }
  HWND hwnd;
};

// Two seconds of a tone at a quarter of full scale, as a camera sends it.
void ReceiveTone(node::MediaRing& ring, double hz) {
  codec::AdpcmEncoder encoder;
  int16_t pcm[512];
  uint8_t unit[192];
  for (int u = 0; u < 32; ++u) {
    for (int i = 0; i < 512; ++i) pcm[i] = int16_t(std::lround(8000 * std::sin(2 * std::numbers::pi * hz * (u * 512 + i) / 8000)));
    ASSERT_EQ(192, encoder.Encode(pcm, 1024, unit));
    ring.Push(unit, 192, uint64_t(u) * 64);
  }
}

// The strongest frequency of the half second from `s`.
double StrongestHz(const int16_t* s) {
  double peakHz = 0, peakPower = 0;
  for (double hz = 100; hz < 3900; hz += 10) {
    const double p = Power(s, 4000, hz);
    if (p > peakPower) peakPower = p, peakHz = hz;
  }
  return peakHz;
}

TEST(SoundOnPulse, ANodesToneThroughTheMixerIsHeard) {
  const std::string monitor = FromEnvironment("HALYARD_MONITOR_FILE");
  ASSERT_FALSE(monitor.empty()) << "run through present/tests/sound_env.sh";
  HiddenWindow window;
  DirectSoundOutput output;
  ASSERT_EQ(0, output.Open(window.hwnd)) << "no sound output: is the PulseAudio server of test-env.sh running?";
  SoundMixer mixer(output);
  mixer.Start();
  NodePlayback playback;
  playback.Bind(&mixer);
  ASSERT_TRUE(playback.CreateBuffer());

  node::MediaRing ring(node::MediaRing::kAudioSlots, 1024);
  ReceiveTone(ring, 1000);
  std::error_code error;
  const long before = long(std::filesystem::file_size(monitor, error));
  codec::AdpcmDecoder decoder;
  node::RingSoundSource sound(ring, decoder);
  const uint64_t end = os::MonotonicMs() + 2800;
  while (os::MonotonicMs() < end) {  // the node's media thread
    while (playback.FeedOne(sound)) {
    }
    os::SleepMs(1);
  }
  EXPECT_EQ(0, ring.Count()) << "every unit was played";
  playback.ReleaseBuffer();
  os::SleepMs(300);
  mixer.Stop();

  const std::vector<int16_t> heard = ReadSamples(monitor, before);
  ASSERT_GT(heard.size(), 8000u) << "the monitor recorded " << heard.size() << " samples";
  // The loudest half second, then its two strongest frequencies.
  const size_t window_ = 4000;
  size_t best = 0;
  double bestRms = 0;
  for (size_t at = 0; at + window_ <= heard.size(); at += 400) {
    const double r = Rms(&heard[at], window_);
    if (r > bestRms) bestRms = r, best = at;
  }
  ASSERT_GT(bestRms, 1000.0) << "nothing audible reached the sink";
  EXPECT_NEAR(1000.0, StrongestHz(&heard[best]), 20.0) << "at RMS " << bestRms;
}

// Records when each block reached the link and how big it was.
class RecordingLinks : public SpeakerLinks, public SpeakerLink {
 public:
  void ForEachLink(const std::function<void(SpeakerLink&)>& visit) override { visit(*this); }
  int SendSpeakerAudio(const uint8_t*, uint32_t length) override {
    std::lock_guard<std::mutex> lock(mutex);
    blocks.push_back({os::MonotonicMs(), length});
    return int(length);
  }
  struct Block {
    uint64_t atMs;
    uint32_t bytes;
  };
  std::mutex mutex;
  std::vector<Block> blocks;
};

// Writes raw 8 kHz samples into the pipe source's FIFO at the pace of a
// real microphone, 32 ms at a time.
class MicrophoneFeed {
 public:
  explicit MicrophoneFeed(const std::string& fifo)
      : handle_(CreateFileA(fifo.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
  ~MicrophoneFeed() {
    if (ok()) CloseHandle(handle_);
  }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Returns the time the last sample was handed over.
  uint64_t Play(const std::vector<int16_t>& samples) {
    const size_t step = 256;
    for (size_t at = 0; at < samples.size(); at += step) {
      const size_t n = std::min(step, samples.size() - at);
      DWORD written = 0;
      WriteFile(handle_, &samples[at], DWORD(n * 2), &written, nullptr);
      next_ += 32;
      const uint64_t now = os::MonotonicMs();
      if (next_ > now) os::SleepMs(int(next_ - now));
    }
    return os::MonotonicMs();
  }
  void Start() { next_ = os::MonotonicMs(); }

 private:
  HANDLE handle_;
  uint64_t next_ = 0;
};

TEST(SoundOnPulse, SpeechThroughThePipeSourceSendsBlocksEvery64MsAndSilenceStopsThem) {
  const std::string fifo = FromEnvironment("HALYARD_MIC_FIFO");
  const std::vector<int16_t> speech = ReadSamples(FromEnvironment("HALYARD_SPEECH_FILE"));
  ASSERT_FALSE(fifo.empty()) << "run through present/tests/sound_env.sh";
  ASSERT_GT(speech.size(), 8000u) << "no speech from espeak-ng";
  WaveInDevice device;
  ASSERT_TRUE(device.Probe()) << "no wave-in device: is the pipe source of test-env.sh there?";
  MicrophoneFeed feed(fifo);
  ASSERT_TRUE(feed.ok()) << "cannot open " << fifo;

  RecordingLinks links;
  Microphone mic(device, links);
  feed.Start();
  ASSERT_EQ(0, mic.On());
  feed.Play(std::vector<int16_t>(8000 * 2, 0));  // the detector settles on silence
  const uint64_t speechStart = os::MonotonicMs();
  const uint64_t speechEnd = feed.Play(speech);
  feed.Play(std::vector<int16_t>(8000 * 2, 0));
  mic.Off();

  std::vector<RecordingLinks::Block> inSpeech, late;
  for (const auto& b : links.blocks) {
    EXPECT_EQ(192u, b.bytes);
    if (b.atMs >= speechStart && b.atMs <= speechEnd + 300) inSpeech.push_back(b);
    if (b.atMs > speechEnd + 1200) late.push_back(b);
  }
  const double speechBlocks = double(speechEnd - speechStart) / 64.0;
  const long long lastAfter = links.blocks.empty() ? 0 : (long long)links.blocks.back().atMs - (long long)speechEnd;
  std::printf("speech of %.1f blocks' length sent %zu blocks; the last one %lld ms after the speech ended\n",
              speechBlocks, inSpeech.size(), lastAfter);
  EXPECT_GT(double(inSpeech.size()), speechBlocks * 0.5) << "most of the speech is sent";
  EXPECT_LT(double(inSpeech.size()), speechBlocks * 1.2);
  std::vector<uint64_t> gaps;
  for (size_t i = 1; i < inSpeech.size(); ++i) gaps.push_back(inSpeech[i].atMs - inSpeech[i - 1].atMs);
  ASSERT_FALSE(gaps.empty());
  std::sort(gaps.begin(), gaps.end());
  const uint64_t median = gaps[gaps.size() / 2];
  std::printf("median gap between blocks: %llu ms\n", static_cast<unsigned long long>(median));
  EXPECT_GE(median, 40u);
  EXPECT_LE(median, 90u);
  EXPECT_TRUE(late.empty()) << late.size() << " blocks came long after the speech ended";
}

TEST(SoundWithoutServer, NothingBlocksAndTheLogSaysSoOnce) {
  LogCapture log;
  HiddenWindow window;
  const uint64_t start = os::MonotonicMs();
  DirectSoundOutput output;
  EXPECT_EQ(-1, output.Open(window.hwnd)) << "this test runs with PULSE_SERVER pointing nowhere";
  EXPECT_EQ(-1, output.Open(window.hwnd));
  EXPECT_FALSE(output.Ready());
  EXPECT_EQ(nullptr, output.CreateBuffer(NodePlayback::kBufferBytes));
  NodePlayback playback;
  playback.Bind(output.Ready() ? &output : nullptr);
  EXPECT_FALSE(playback.IsOpen()) << "the node plays nothing";

  WaveInDevice device;
  RecordingLinks links;
  Microphone mic(device, links);
  EXPECT_EQ(-1, mic.On());
  EXPECT_LT(os::MonotonicMs() - start, 5000u) << "nothing waits for a sound device";
  int lines = 0;
  for (const auto& l : log.Lines()) lines += l.find("DirectSound : no sound output") != std::string::npos;
  EXPECT_EQ(1, lines) << "said once";
  EXPECT_TRUE(log.Mentions("Microphone : no sound capture device"));
}

}  // namespace
}  // namespace app::view
