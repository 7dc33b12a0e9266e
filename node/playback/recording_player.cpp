#include "node/playback/recording_player.h"

#include <algorithm>
#include <chrono>

#include "os/clock.h"
#include "os/thread_name.h"

namespace node {
namespace {

// A sample larger than this is no camera's picture.
constexpr uint32_t kMaxSampleBytes = 16u << 20;
// Decoded sound waiting for the output: about 4 s of 64 ms frames.
constexpr size_t kMaxSoundUnits = 64;

}  // namespace

RecordingPlayer::RecordingPlayer(Clock clock) : clock_(clock ? std::move(clock) : Clock(os::MonotonicMs)) {}

RecordingPlayer::~RecordingPlayer() { Stop(); }

void RecordingPlayer::Queue(Command command) {
  {
    std::lock_guard<std::mutex> lock(commands_lock_);
    commands_.push_back(std::move(command));
  }
  wake_.notify_one();
}

void RecordingPlayer::SetCatalog(std::shared_ptr<const record::RecordingsCatalog> catalog) {
  Queue([this, catalog](uint64_t) { playback_.SetCatalog(catalog); });
}

void RecordingPlayer::SetCameras(std::vector<PlayerCamera> cameras, present::PlaybackFeeder* sound) {
  Queue([this, cameras, sound](uint64_t) {
    views_.clear();
    std::vector<std::string> names;
    for (const PlayerCamera& c : cameras) {
      if (views_.size() == record::PlaybackClock::kMaxCameras) break;
      View v;
      v.camera = c;
      views_.push_back(std::move(v));
      names.push_back(c.name);
    }
    errors_.assign(views_.size(), std::string());
    playback_.SetCameras(names);
    feeder_ = sound;
    sound_.Clear();
  });
}

void RecordingPlayer::Seek(int64_t wall_ms) {
  Queue([this, wall_ms](uint64_t now) {
    playback_.Seek(wall_ms, now);
    sound_.Clear();
  });
}

void RecordingPlayer::SetSpeed(record::PlaySpeed speed) {
  Queue([this, speed](uint64_t now) { playback_.SetSpeed(speed, now); });
}

void RecordingPlayer::SetPaused(bool paused) {
  Queue([this, paused](uint64_t now) {
    playback_.SetPaused(paused, now);
    if (paused) sound_.Clear();
  });
}

void RecordingPlayer::Step(int direction) {
  Queue([this, direction](uint64_t now) {
    playback_.Step(direction, now);
    sound_.Clear();
  });
}

void RecordingPlayer::Jump(int64_t delta_ms) {
  Queue([this, delta_ms](uint64_t now) {
    playback_.Jump(delta_ms, now);
    sound_.Clear();
  });
}

void RecordingPlayer::NextMotion() {
  Queue([this](uint64_t now) {
    if (playback_.NextMotion(now)) sound_.Clear();
  });
}

void RecordingPlayer::PreviousMotion() {
  Queue([this](uint64_t now) {
    if (playback_.PreviousMotion(now)) sound_.Clear();
  });
}

void RecordingPlayer::SetStatusListener(std::function<void(const PlayerStatus&)> listener) {
  std::lock_guard<std::mutex> lock(status_lock_);
  listener_ = std::move(listener);
}

PlayerStatus RecordingPlayer::Status() const {
  std::lock_guard<std::mutex> lock(status_lock_);
  return status_;
}

void RecordingPlayer::Start() {
  if (worker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(commands_lock_);
    stopping_ = false;
  }
  worker_ = std::thread([this] {
    os::NameCurrentThread("playback");
    Run();
  });
}

void RecordingPlayer::Stop() {
  {
    std::lock_guard<std::mutex> lock(commands_lock_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (worker_.joinable()) worker_.join();
}

void RecordingPlayer::Run() {
  for (;;) {
    const uint64_t due = Work();
    std::unique_lock<std::mutex> lock(commands_lock_);
    const uint64_t now = clock_();
    const auto wait = std::chrono::milliseconds(due > now ? due - now : 0);
    wake_.wait_for(lock, wait, [&] { return stopping_ || !commands_.empty(); });
    if (stopping_) return;
  }
}

void RecordingPlayer::RunOnce() { Work(); }

uint64_t RecordingPlayer::Work() {
  std::vector<Command> commands;
  {
    std::lock_guard<std::mutex> lock(commands_lock_);
    commands.swap(commands_);
  }
  const uint64_t now = clock_();
  for (Command& c : commands) c(now);
  // What a tick may decode, from what decoding has cost so far.
  const double perView = kTickDecodeBudgetMs / double(std::max<size_t>(views_.size(), 1));
  playback_.SetDecodeBudget(static_cast<size_t>(std::max(1.0, perView / decode_ms_)));
  const std::vector<record::PictureStep> steps = playback_.Tick(now);
  for (size_t i = 0; i < steps.size() && i < views_.size(); ++i) {
    if (steps[i].kind == record::PictureStep::Kind::kPicture && !Show(i, steps[i])) playback_.Forget(i);
  }
  PlaySound(now);
  {
    std::lock_guard<std::mutex> lock(status_lock_);
    PlayerStatus next = status_;
    next.position = playback_.Position(now);
    next.speed = playback_.Speed();
    next.paused = playback_.Paused();
    next.atEnd = playback_.AtEnd();
    next.views.resize(views_.size());
    for (size_t i = 0; i < steps.size() && i < next.views.size(); ++i) {
      PlayerStatus::View& v = next.views[i];
      if (steps[i].kind == record::PictureStep::Kind::kPicture) {
        v.noRecording = false;
        v.pictureTime = steps[i].time;
        v.file = steps[i].path;
      } else if (steps[i].kind == record::PictureStep::Kind::kNoRecording) {
        v.noRecording = true;
        v.file.clear();
      }
      v.error = errors_[i];
    }
    bool changed = next.position != status_.position || next.paused != status_.paused ||
                   !(next.speed == status_.speed) || next.atEnd != status_.atEnd ||
                   next.views.size() != status_.views.size();
    for (size_t i = 0; !changed && i < next.views.size(); ++i)
      changed = next.views[i].noRecording != status_.views[i].noRecording ||
                next.views[i].pictureTime != status_.views[i].pictureTime || next.views[i].error != status_.views[i].error;
    if (changed) {
      ++next.serial;
      status_ = std::move(next);
      if (listener_) listener_(status_);
    }
  }
  return playback_.NextDue(now);
}

bool RecordingPlayer::Show(size_t index, const record::PictureStep& step) {
  View& v = views_[index];
  std::string& error = errors_[index];
  const record::RecordingTrack& track = *step.track;
  if (v.path != step.path || !v.file) {
    v.file = record::Mp4FileOutput::OpenExisting(step.path, false);
    v.path = step.path;
    if (!v.file) return error = "cannot open " + step.path, false;
  }
  if (!v.decoder || v.config != track.config) {
    // A file of another configuration: a decoder for it, as a live view
    // makes one for a camera's new stream headers.
    v.decoder = std::make_unique<codec::VideoDecoder>();
    int width = 320, height = 240;
    codec::ShortHeaderSourceSize(track.config.data(), track.config.size(), &width, &height);
    v.decoder->SetSize(width, height);
    v.decoder->SetPostFilter(true, true);
    v.config = track.config;
    if (!v.config.empty() && v.decoder->Decode(v.config.data(), v.config.size()) == codec::kDecodeFatal)
      return error = "cannot decode the pictures of " + step.path, false;
    if (!step.restart) return error = "decoding did not start at an intra picture", false;
  }
  const uint64_t started = os::MonotonicUs();
  size_t count = 0;
  for (size_t i = step.decodeFrom; i <= step.picture && i < track.video.size(); ++i, ++count) {
    const record::TrackSample& s = track.video[i];
    if (s.size == 0 || s.size > kMaxSampleBytes) continue;
    v.sample.resize(s.size);
    if (!v.file->Read(s.offset, v.sample.data(), s.size)) return error = "cannot read " + step.path, false;
    v.decoder->Decode(v.sample.data(), v.sample.size());
  }
  if (count > 0) {
    const double ms = double(os::MonotonicUs() - started) / 1000.0 / double(count);
    decode_ms_ = decode_ms_ * 0.8 + ms * 0.2;
    decoded_.fetch_add(count);
  }
  const int width = v.decoder->Width(), height = v.decoder->Height();
  if (width <= 0 || height <= 0) return error = "no picture decoded from " + step.path, false;
  if (width != v.width || height != v.height) {
    v.width = width;
    v.height = height;
    v.picture.assign(size_t(width) * size_t(height) * 3 / 2, 0);
  }
  const codec::DecodedPicture picture{v.picture.data(), width, height};
  if (v.decoder->ProducePicture(picture) != 0) return error = "no picture decoded from " + step.path, false;
  error.clear();
  if (v.camera.sink) {
    if (width != v.sinkWidth || height != v.sinkHeight) {
      v.camera.sink->Resize(width, height);
      v.sinkWidth = width;
      v.sinkHeight = height;
    }
    v.camera.sink->ShowPicture(picture);
  }
  shown_.fetch_add(1);
  return true;
}

void RecordingPlayer::PlaySound(uint64_t now) {
  const std::vector<record::SoundStep> steps = playback_.TakeSound(now);
  if (!feeder_) return;
  for (const record::SoundStep& step : steps) {
    if (step.restart) adpcm_.Reset();
    if (sound_path_ != step.path || !sound_file_) {
      sound_file_ = record::Mp4FileOutput::OpenExisting(step.path, false);
      sound_path_ = step.path;
    }
    if (!sound_file_) continue;
    std::vector<uint8_t> bytes;
    for (size_t i = step.first; i < step.first + step.count && i < step.track->sound.size(); ++i) {
      const record::TrackSample& s = step.track->sound[i];
      if (s.size == 0 || s.size > kMaxSampleBytes) continue;
      bytes.resize(s.size);
      if (!sound_file_->Read(s.offset, bytes.data(), bytes.size())) break;
      std::vector<int16_t> pcm(static_cast<size_t>(codec::AdpcmDecodedSize(static_cast<int>(s.size))) / 2 + 1);
      const int out = adpcm_.Decode(bytes.data(), static_cast<int>(bytes.size()), pcm.data());
      pcm.resize(static_cast<size_t>(std::max(out, 0)) / 2);
      sound_.Add(std::move(pcm), static_cast<uint64_t>(s.time));
    }
  }
  if (!feeder_->IsOpen()) return;
  while (sound_.Waiting() > 0 && feeder_->FeedOne(sound_)) {
  }
}

void RecordingPlayer::Sound::Add(std::vector<int16_t> pcm, uint64_t time) {
  if (units_.size() >= kMaxSoundUnits) units_.pop_front();
  units_.emplace_back(std::move(pcm), time);
}

void RecordingPlayer::Sound::DropOldest() {
  if (!units_.empty()) units_.pop_front();
}

bool RecordingPlayer::Sound::TakeOldest(present::SoundSamples* out) {
  if (units_.empty()) return false;
  taken_ = std::move(units_.front().first);
  out->samples = taken_.data();
  out->count = static_cast<int>(taken_.size());
  out->timestamp = units_.front().second;
  units_.pop_front();
  return true;
}

}  // namespace node
