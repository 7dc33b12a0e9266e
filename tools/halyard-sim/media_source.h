#pragma once
// The media a simulated camera or stored recording serves: an MPEG-4 elementary
// stream cut the way cameras send it (configuration unit, then one unit per
// picture) and ADPCM audio cut into 192-byte units of 64 ms.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

constexpr uint32_t kAudioUnitBytes = 192;  // 512 samples of 3 bits
constexpr int kAudioUnitMs = 64;

struct VideoClip {
  std::vector<uint8_t> config;
  std::vector<std::vector<uint8_t>> pictures;
  int fps = 25;
  int width = 0, height = 0;
  bool empty() const { return pictures.empty(); }
  int DurationMs() const { return static_cast<int>(pictures.size() * 1000 / fps); }
};

struct AudioClip {
  std::vector<std::vector<uint8_t>> units;
  bool empty() const { return units.empty(); }
};

// False with a reason when the file cannot be read or holds no picture.
bool LoadVideoClip(const std::string& path, int fps_override, VideoClip* clip, std::string* error);
// A WAV file of 8 kHz mono 16-bit PCM, or raw samples of that format.
bool LoadAudioClip(const std::string& path, AudioClip* clip, std::string* error);
// A voice-like signal (a gliding buzz with syllable-like bursts), `seconds` long.
AudioClip GenerateVoiceLikeAudio(int seconds);

// Milliseconds of a wall clock, for live timestamps.
uint64_t WallClockMs();

}  // namespace sim
