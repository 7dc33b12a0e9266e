#include "record/mp4_file.h"

#include <ctime>

#include "record/m4v_headers.h"

namespace record {
namespace {

constexpr uint32_t kSecondsFrom1904To1970 = 2082844800u;
// Media samples stop short of the size limit by the two system samples
// Finalise still has to put into mdat, so a recording that reaches it can
// always be finished.
constexpr uint64_t kSystemSampleBytes = sizeof kSceneSample + sizeof kObjectDescriptorSample;
// Room given back beyond the index's own size: file systems hand out whole
// blocks, and the two system tracks join the index.
constexpr uint64_t kGiveBackSlack = 8 * 1024;

std::unique_ptr<Mp4Movie> CopyOf(const Mp4Movie& movie) {
  auto copy = std::make_unique<Mp4Movie>();
  copy->timescale = movie.timescale;
  copy->nextTrackId = movie.nextTrackId;
  copy->duration = movie.duration;
  copy->odProfile = movie.odProfile;
  copy->sceneProfile = movie.sceneProfile;
  copy->audioProfile = movie.audioProfile;
  copy->visualProfile = movie.visualProfile;
  copy->graphicsProfile = movie.graphicsProfile;
  copy->esIdIncs = movie.esIdIncs;
  for (const auto& track : movie.tracks) copy->tracks.push_back(std::make_unique<Mp4Track>(*track));
  return copy;
}

}  // namespace

Mp4File::Mp4File() { Initialise(static_cast<int>(RecordMode::kMpeg4Adpcm)); }

Mp4File::~Mp4File() { Close(); }

bool Mp4File::Initialise(int mode) {
  if (mode != static_cast<int>(RecordMode::kMpeg4Adpcm)) return false;
  journal_.Close(false);
  mdat_.Reset();
  adopting_ = false;
  movie_ = std::make_unique<Mp4Movie>();
  now_ = static_cast<uint32_t>(std::time(nullptr)) + kSecondsFrom1904To1970;
  video_ = nullptr;
  audio_ = nullptr;
  width_ = 320;
  height_ = 240;
  time_increment_bits_ = 15;
  visual_profile_ = 3;
  video_clock_ = audio_clock_ = SampleClock();
  audio_frame_length_ = 0;
  finalised_ = false;
  samples_given_back_ = 0;
  return true;
}

bool Mp4File::Open(const std::string& path) {
  std::unique_ptr<Mp4FileOutput> file = Mp4FileOutput::Create(path);
  if (!file) return false;
  return Open(std::unique_ptr<Mp4Output>(std::move(file)));
}

bool Mp4File::Open(std::unique_ptr<Mp4Output> output) {
  if (!OpenOutput(std::move(output))) return false;
  const std::string path = mdat_.output()->FilePath();
  if (!path.empty()) AttachJournal(RecordingJournal::CreateBeside(path));
  return true;
}

bool Mp4File::Open(std::unique_ptr<Mp4Output> output, std::unique_ptr<RecordingJournal> journal) {
  if (!OpenOutput(std::move(output))) return false;
  AttachJournal(std::move(journal));
  return true;
}

bool Mp4File::OpenOutput(std::unique_ptr<Mp4Output> output) {
  if (!output || mdat_.output()) return false;
  // mdat with size 0 until Finalise knows it; samples start at offset 8.
  return mdat_.Start(std::move(output));
}

bool Mp4File::Reopen(std::unique_ptr<Mp4Output> output) {
  if (!output || mdat_.output()) return false;
  mdat_.Resume(std::move(output));
  adopting_ = true;
  return true;
}

void Mp4File::AttachJournal(std::unique_ptr<RecordingJournal> journal) {
  journal_.Attach(std::move(journal), mdat_.output(), static_cast<uint16_t>(RecordMode::kMpeg4Adpcm), now_);
}

void Mp4File::SetCreationTime(uint32_t seconds1904) {
  now_ = seconds1904;
  journal_.CreationTime(seconds1904);
}

Mp4Track* Mp4File::AddTrack(TrackKind kind, uint32_t track_id) {
  const uint32_t timescale = kind == TrackKind::kVideo   ? video_timescale_
                             : kind == TrackKind::kAudio ? audio_timescale_
                                                         : 1000;
  movie_->tracks.push_back(std::make_unique<Mp4Track>(kind, track_id, timescale));
  Mp4Track* track = movie_->tracks.back().get();
  if (kind != TrackKind::kScene) track->sync.push_back(1);
  return track;
}

bool Mp4File::WriteSampleBytes(const uint8_t* data, uint32_t length, uint32_t* offset) {
  return mdat_.WriteSample(data, length, finalised_ ? 0 : kSystemSampleBytes, offset);
}

bool Mp4File::WriteVideo(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time) {
  if (!mdat_.output() || finalised_ || !data || length == 0) return false;
  if (index == 0) {
    M4vConfig config;
    if (video_ || !ParseM4vConfig(data, length, &config)) return false;
    if (config.hasVos) visual_profile_ = config.profileAndLevel;
    if (config.hasVol) time_increment_bits_ = config.timeIncrementBits;
    if (config.hasSize) {
      width_ = config.width;
      height_ = config.height;
    }
    video_ = AddTrack(TrackKind::kVideo, movie_->nextTrackId++);
    video_->width = static_cast<uint16_t>(width_);
    video_->height = static_cast<uint16_t>(height_);
    video_->config.objectTypeIndication = 0x20;
    video_->config.streamType = 4;
    video_->config.bufferSizeDB = 106666;
    video_->config.specificInfo.assign(data, data + length);
    movie_->visualProfile = static_cast<uint8_t>(visual_profile_);
    journal_.VideoConfig(data, length);
    return true;
  }
  const int codingType = VopCodingType(data, length);
  if (!video_ || codingType < 0) return false;
  return PlaceVideo(data, length, time, codingType == 0);
}

bool Mp4File::WriteAudio(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time) {
  (void)index;  // the first frame written creates the track, whatever its number
  if (!mdat_.output() || finalised_ || !data || length == 0) return false;
  return PlaceAudio(data, length, time);
}

bool Mp4File::AdoptVideo(uint32_t length, uint32_t time, bool sync) {
  if (!adopting_ || !video_ || length == 0) return false;
  return PlaceVideo(nullptr, length, time, sync);
}

bool Mp4File::AdoptAudio(uint32_t length, uint32_t time) {
  if (!adopting_ || length == 0) return false;
  return PlaceAudio(nullptr, length, time);
}

bool Mp4File::PlaceVideo(const uint8_t* data, uint32_t length, uint32_t time, bool sync) {
  const SampleClock::Step step = video_clock_.Next(time, video_->SampleCount() == 0);
  uint32_t at = 0;
  if (!WriteSampleBytes(data, length, &at)) return false;
  video_->AddSample(at, length, step.delta, sync, step.offset);
  if (data) journal_.Sample(true, at, data, length, time, sync);
  video_clock_.Take(time, step);
  return true;
}

bool Mp4File::PlaceAudio(const uint8_t* data, uint32_t length, uint32_t time) {
  const SampleClock::Step step = audio_clock_.Next(time, !audio_);
  uint32_t at = 0;
  if (!WriteSampleBytes(data, length, &at)) return false;
  if (!audio_) {
    // The track exists from its first written frame on.
    audio_ = AddTrack(TrackKind::kAudio, movie_->nextTrackId++);
    audio_->config.objectTypeIndication = 0xC1;
    audio_->config.streamType = 5;
    audio_->config.bufferSizeDB = 106666;
    movie_->audioProfile = 0xFE;
    audio_frame_length_ = length;
  }
  audio_->AddSample(at, length, step.delta, false, step.offset);
  if (data) journal_.Sample(false, at, data, length, time, false);
  audio_clock_.Take(time, step);
  return true;
}

bool Mp4File::Finalise() {
  if (!mdat_.output() || finalised_) return false;
  finalised_ = true;
  adopting_ = false;
  const uint64_t mediaEnd = mdat_.position();
  bool ok = WriteTail(mediaEnd);
  if (!ok && mdat_.OutputFailed()) {
    // Most likely a full disk: the index goes where the last samples were.
    Mp4Buffer tail;
    WriteUserData(tail);
    movie_->Write(tail, now_);
    const uint64_t end = GiveBack(mediaEnd, kSystemSampleBytes + tail.Size() + kGiveBackSlack);
    ok = end < mediaEnd && mdat_.output()->Truncate(end) && WriteTail(end);
  }
  journal_.Close(ok);
  return ok;
}

uint64_t Mp4File::GiveBack(uint64_t media_end, uint64_t bytes) {
  uint64_t end = media_end;
  while (media_end - end < bytes) {
    Mp4Track* last = nullptr;
    for (Mp4Track* track : {video_, audio_})
      if (track && track->SampleCount() > 0 && (!last || track->LastOffset() > last->LastOffset())) last = track;
    if (!last) break;
    end = last->LastOffset();
    last->RemoveLastSample();
    ++samples_given_back_;
  }
  return end;
}

bool Mp4File::WriteTail(uint64_t media_end) {
  mdat_.SetPosition(media_end);
  std::unique_ptr<Mp4Movie> movie = CopyOf(*movie_);
  bool ok = true;

  auto scene = std::make_unique<Mp4Track>(TrackKind::kScene, 1, 1000);
  scene->config.objectTypeIndication = 0x01;
  scene->config.streamType = 3;
  scene->config.bufferSizeDB = 10000;
  scene->config.specificInfo = SceneConfig(width_, height_);
  movie->sceneProfile = 1;
  uint32_t at = 0;
  if (WriteSampleBytes(kSceneSample, sizeof kSceneSample, &at))
    scene->AddSample(at, sizeof kSceneSample, 1000, false, 0);
  else
    ok = false;
  movie->esIdIncs.push_back(1);

  auto od = std::make_unique<Mp4Track>(TrackKind::kObjectDescriptor, 2, 1000);
  od->sync.push_back(1);
  od->config.objectTypeIndication = 0x01;
  od->config.streamType = 1;
  od->config.bufferSizeDB = 2000;
  if (video_) od->mpod.push_back(video_->TrackId());
  if (audio_) od->mpod.push_back(audio_->TrackId());
  movie->odProfile = 1;
  if (ok && WriteSampleBytes(kObjectDescriptorSample, sizeof kObjectDescriptorSample, &at))
    od->AddSample(at, sizeof kObjectDescriptorSample, 1000, false, 0);
  else
    ok = false;
  movie->esIdIncs.push_back(2);
  movie->tracks.push_back(std::move(scene));
  movie->tracks.push_back(std::move(od));

  movie->Finish();
  Mp4Buffer tail;
  WriteUserData(tail);
  movie->Write(tail, now_);

  // udta and moov after the samples (moov may lie past 4 GiB), on disk before
  // the mdat size is: a header that claims a finished file while moov is
  // still missing would turn repair away from a file that needs it.
  const uint64_t mdatEnd = mdat_.position();
  ok = ok && mdat_.WriteBytes(tail.Data().data(), tail.Size());
  if (ok) mdat_.output()->Sync();  // a file system that cannot sync still gets its file
  // A write that failed part-way may have left bytes past the new end.
  if (ok && mdat_.OutputFailed()) mdat_.output()->Truncate(mdat_.position());
  if (ok) ok = mdat_.WriteMdatSize(static_cast<uint32_t>(mdatEnd));
  if (ok) {
    movie_ = std::move(movie);
    for (const auto& track : movie_->tracks) {
      if (track->Kind() == TrackKind::kVideo) video_ = track.get();
      if (track->Kind() == TrackKind::kAudio) audio_ = track.get();
    }
  }
  return ok;
}

void Mp4File::Close() {
  journal_.Close(false);
  mdat_.Drop();
}

}  // namespace record
