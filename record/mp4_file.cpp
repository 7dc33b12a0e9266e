#include "record/mp4_file.h"

#include <ctime>

#include "os/file.h"
#include "record/crc32.h"
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
  CloseJournal(false);
  output_.reset();
  adopting_ = false;
  movie_ = std::make_unique<Mp4Movie>();
  position_ = 0;
  stream_position_ = 0;
  stream_known_ = false;
  now_ = static_cast<uint32_t>(std::time(nullptr)) + kSecondsFrom1904To1970;
  video_ = nullptr;
  audio_ = nullptr;
  width_ = 320;
  height_ = 240;
  time_increment_bits_ = 15;
  visual_profile_ = 3;
  previous_video_time_ = previous_audio_time_ = 0;
  video_offset_ = audio_offset_ = 0;
  audio_frame_length_ = 0;
  finalised_ = false;
  limit_reached_ = output_failed_ = false;
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
  const std::string path = output_->FilePath();
  if (!path.empty()) AttachJournal(RecordingJournal::CreateBeside(path));
  return true;
}

bool Mp4File::Open(std::unique_ptr<Mp4Output> output, std::unique_ptr<RecordingJournal> journal) {
  if (!OpenOutput(std::move(output))) return false;
  AttachJournal(std::move(journal));
  return true;
}

bool Mp4File::OpenOutput(std::unique_ptr<Mp4Output> output) {
  if (!output || output_) return false;
  output_ = std::move(output);
  position_ = 0;
  stream_position_ = 0;
  stream_known_ = true;
  // mdat with size 0 until Finalise knows it; samples start at offset 8.
  const uint8_t header[8] = {0, 0, 0, 0, 'm', 'd', 'a', 't'};
  if (WriteBytes(header, sizeof header)) return true;
  output_.reset();
  return false;
}

bool Mp4File::Reopen(std::unique_ptr<Mp4Output> output) {
  if (!output || output_) return false;
  output_ = std::move(output);
  position_ = 8;
  stream_known_ = false;
  adopting_ = true;
  return true;
}

void Mp4File::AttachJournal(std::unique_ptr<RecordingJournal> journal) {
  if (!journal) return;
  if (!journal->Header(static_cast<uint16_t>(RecordMode::kMpeg4Adpcm), now_)) {
    journal->Finish();  // a journal without its header could never be used
    return;
  }
  journal_ = std::move(journal);
  journal_->StartSyncing(output_.get());
  const std::string path = output_->FilePath();
  open_list_ = CurrentOpenRecordingList();
  if (open_list_ && !path.empty()) {
    listed_path_ = os::AbsolutePath(path);
    open_list_->Add(listed_path_);
  }
}

void Mp4File::CloseJournal(bool finished) {
  if (!journal_) return;
  if (!finished) {
    journal_->Close();  // stays on disk, and the file stays listed, for repair
  } else if (journal_->Finish() && open_list_ && !listed_path_.empty()) {
    open_list_->Remove(listed_path_);
  }
  journal_.reset();
  open_list_ = nullptr;
  listed_path_.clear();
}

void Mp4File::SetCreationTime(uint32_t seconds1904) {
  now_ = seconds1904;
  if (journal_) journal_->CreationTime(seconds1904);
}

void Mp4File::Journal(bool video, uint32_t offset, const uint8_t* data, uint32_t length, uint32_t time, bool sync) {
  if (!journal_) return;
  JournalSample sample;
  sample.video = video;
  sample.offset = offset;
  sample.length = length;
  sample.time = time;
  sample.sync = sync;
  sample.crc = Crc32(data, length);
  journal_->Sample(sample);
}

bool Mp4File::WriteBytes(const uint8_t* data, size_t length) {
  if (!output_) return false;
  if (!stream_known_ || stream_position_ != position_) {
    if (!output_->Seek(position_)) {
      stream_known_ = false;
      return false;
    }
    stream_position_ = position_;
    stream_known_ = true;
  }
  if (!output_->Write(data, length)) {
    // Part of the bytes may be on disk; the next write goes to the same place.
    stream_known_ = false;
    output_failed_ = true;
    return false;
  }
  position_ += length;
  stream_position_ = position_;
  return true;
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
  const uint64_t reserve = finalised_ ? 0 : kSystemSampleBytes;
  if (position_ + length + reserve > size_limit_) {
    limit_reached_ = true;
    return false;
  }
  const uint64_t start = position_;
  if (!data) {  // adopted: the bytes lie there already
    position_ += length;
    *offset = static_cast<uint32_t>(start);
    return true;
  }
  if (!WriteBytes(data, length)) {
    position_ = start;
    return false;
  }
  *offset = static_cast<uint32_t>(start);
  return true;
}

bool Mp4File::WriteVideo(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time) {
  if (!output_ || finalised_ || !data || length == 0) return false;
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
    if (journal_) journal_->VideoConfig(data, length);
    return true;
  }
  const int codingType = VopCodingType(data, length);
  if (!video_ || codingType < 0) return false;
  return PlaceVideo(data, length, time, codingType == 0);
}

bool Mp4File::WriteAudio(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time) {
  (void)index;  // the first frame written creates the track, whatever its number
  if (!output_ || finalised_ || !data || length == 0) return false;
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
  // Times never run backwards in a track; a unit that claims so lands on the
  // previous one's time.
  uint32_t delta = time >= previous_video_time_ ? time - previous_video_time_ : 0;
  uint32_t offset = video_offset_;
  if (video_->SampleCount() == 0 && delta != 0) {
    offset = delta;  // a late first picture: its time becomes the composition offset
    delta = 0;
  }
  uint32_t at = 0;
  if (!WriteSampleBytes(data, length, &at)) return false;
  video_->AddSample(at, length, delta, sync, offset);
  if (data) Journal(true, at, data, length, time, sync);
  video_offset_ = offset;
  previous_video_time_ = time >= previous_video_time_ ? time : previous_video_time_;
  return true;
}

bool Mp4File::PlaceAudio(const uint8_t* data, uint32_t length, uint32_t time) {
  uint32_t delta = time >= previous_audio_time_ ? time - previous_audio_time_ : 0;
  uint32_t offset = audio_offset_;
  if (!audio_ && delta != 0) {
    offset = delta;
    delta = 0;
  }
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
  audio_->AddSample(at, length, delta, false, offset);
  if (data) Journal(false, at, data, length, time, false);
  audio_offset_ = offset;
  previous_audio_time_ = time >= previous_audio_time_ ? time : previous_audio_time_;
  return true;
}

bool Mp4File::Finalise() {
  if (!output_ || finalised_) return false;
  finalised_ = true;
  adopting_ = false;
  const uint64_t mediaEnd = position_;
  bool ok = WriteTail(mediaEnd);
  if (!ok && output_failed_) {
    // Most likely a full disk: the index goes where the last samples were.
    Mp4Buffer tail;
    WriteUserData(tail);
    movie_->Write(tail, now_);
    const uint64_t end = GiveBack(mediaEnd, kSystemSampleBytes + tail.Size() + kGiveBackSlack);
    ok = end < mediaEnd && output_->Truncate(end) && WriteTail(end);
  }
  CloseJournal(ok);
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
  position_ = media_end;
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
  const uint64_t mdatEnd = position_;
  ok = ok && WriteBytes(tail.Data().data(), tail.Size());
  if (ok) output_->Sync();  // a file system that cannot sync still gets its file
  const uint64_t end = position_;
  const uint32_t mdatSize = static_cast<uint32_t>(mdatEnd);
  const uint8_t header[8] = {uint8_t(mdatSize >> 24), uint8_t(mdatSize >> 16), uint8_t(mdatSize >> 8),
                             uint8_t(mdatSize), 'm', 'd', 'a', 't'};
  // A write that failed part-way may have left bytes past the new end.
  if (ok && output_failed_) output_->Truncate(end);
  if (ok) {
    position_ = 0;
    ok = WriteBytes(header, sizeof header);
    if (ok) output_->Sync();
    position_ = end;
  }
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
  CloseJournal(false);
  output_.reset();
}

}  // namespace record
