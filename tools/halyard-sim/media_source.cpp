#include "media_source.h"

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>

#include "codec/audio/adpcm.h"
#include "codec/audio/wav_reader.h"
#include "os/file.h"
#include "record/m4v_headers.h"

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

AudioClip EncodeUnits(const std::vector<int16_t>& pcm) {
  AudioClip clip;
  codec::AdpcmEncoder encoder;
  const size_t samples_per_unit = kAudioUnitBytes * 8 / 3;
  for (size_t at = 0; at + samples_per_unit <= pcm.size(); at += samples_per_unit) {
    std::vector<uint8_t> unit(kAudioUnitBytes);
    encoder.Encode(pcm.data() + at, static_cast<int>(samples_per_unit * 2), unit.data());
    clip.units.push_back(std::move(unit));
  }
  return clip;
}

}  // namespace

bool LoadVideoClip(const std::string& path, int fps_override, VideoClip* clip, std::string* error) {
  std::vector<uint8_t> data;
  if (!os::ReadWholeFile(path, &data)) {
    *error = "cannot read " + path;
    return false;
  }
  record::M4vSpan header{};
  std::vector<record::M4vSpan> pictures;
  record::SplitM4vStream(data.data(), data.size(), &header, &pictures);
  if (pictures.empty() || header.length == 0) {
    *error = path + " holds no configuration headers or no picture";
    return false;
  }
  clip->config.assign(data.begin() + header.offset, data.begin() + header.offset + header.length);
  clip->pictures.clear();
  for (const auto& p : pictures) clip->pictures.emplace_back(data.begin() + p.offset, data.begin() + p.offset + p.length);
  record::M4vConfig config;
  record::ParseM4vConfig(clip->config.data(), clip->config.size(), &config);
  clip->width = config.width;
  clip->height = config.height;
  int fps = static_cast<int>(config.timeIncrementResolution);
  clip->fps = fps_override > 0 ? fps_override : (fps >= 1 && fps <= 60 ? fps : 25);
  return true;
}

bool LoadAudioClip(const std::string& path, AudioClip* clip, std::string* error) {
  std::vector<uint8_t> data;
  if (!os::ReadWholeFile(path, &data)) {
    *error = "cannot read " + path;
    return false;
  }
  std::vector<int16_t> pcm;
  if (codec::ReadVoicePcm(data.data(), data.size(), true, &pcm) != codec::VoicePcmStatus::kOk) {
    *error = path + " is not 8 kHz mono 16-bit PCM";
    return false;
  }
  *clip = EncodeUnits(pcm);
  if (clip->empty()) {
    *error = path + " is shorter than one audio unit";
    return false;
  }
  return true;
}

AudioClip GenerateVoiceLikeAudio(int seconds) {
  std::vector<int16_t> pcm(static_cast<size_t>(seconds) * 8000);
  double phase = 0;
  for (size_t i = 0; i < pcm.size(); ++i) {
    double t = static_cast<double>(i) / 8000.0;
    double pitch = 140 + 40 * std::sin(2 * kPi * 0.7 * t);
    phase += 2 * kPi * pitch / 8000.0;
    // A few harmonics shaped by a slow envelope: syllables of about 200 ms.
    double voice = std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.25 * std::sin(3 * phase) + 0.12 * std::sin(5 * phase);
    double envelope = std::pow(std::fabs(std::sin(kPi * 2.5 * t)), 1.5);
    pcm[i] = static_cast<int16_t>(6000 * voice * envelope);
  }
  return EncodeUnits(pcm);
}

uint64_t WallClockMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

}  // namespace sim
