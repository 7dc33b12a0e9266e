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
  m_output.reset();
  m_adopting = false;
  m_movie = std::make_unique<Mp4Movie>();
  m_position = 0;
  m_streamPosition = 0;
  m_streamKnown = false;
  m_now = static_cast<uint32_t>(std::time(nullptr)) + kSecondsFrom1904To1970;
  m_video = nullptr;
  m_audio = nullptr;
  m_width = 320;
  m_height = 240;
  m_timeIncrementBits = 15;
  m_visualProfile = 3;
  m_previousVideoTime = m_previousAudioTime = 0;
  m_videoOffset = m_audioOffset = 0;
  m_audioFrameLength = 0;
  m_finalised = false;
  m_limitReached = m_outputFailed = false;
  m_samplesGivenBack = 0;
  return true;
}

bool Mp4File::Open(const std::string& path) {
  std::unique_ptr<Mp4FileOutput> file = Mp4FileOutput::Create(path);
  if (!file) return false;
  return Open(std::unique_ptr<Mp4Output>(std::move(file)));
}

bool Mp4File::Open(std::unique_ptr<Mp4Output> output) {
  if (!OpenOutput(std::move(output))) return false;
  const std::string path = m_output->FilePath();
  if (!path.empty()) AttachJournal(RecordingJournal::CreateBeside(path));
  return true;
}

bool Mp4File::Open(std::unique_ptr<Mp4Output> output, std::unique_ptr<RecordingJournal> journal) {
  if (!OpenOutput(std::move(output))) return false;
  AttachJournal(std::move(journal));
  return true;
}

bool Mp4File::OpenOutput(std::unique_ptr<Mp4Output> output) {
  if (!output || m_output) return false;
  m_output = std::move(output);
  m_position = 0;
  m_streamPosition = 0;
  m_streamKnown = true;
  // mdat with size 0 until Finalise knows it; samples start at offset 8.
  const uint8_t header[8] = {0, 0, 0, 0, 'm', 'd', 'a', 't'};
  if (WriteBytes(header, sizeof header)) return true;
  m_output.reset();
  return false;
}

bool Mp4File::Reopen(std::unique_ptr<Mp4Output> output) {
  if (!output || m_output) return false;
  m_output = std::move(output);
  m_position = 8;
  m_streamKnown = false;
  m_adopting = true;
  return true;
}

void Mp4File::AttachJournal(std::unique_ptr<RecordingJournal> journal) {
  if (!journal) return;
  if (!journal->Header(static_cast<uint16_t>(RecordMode::kMpeg4Adpcm), m_now)) {
    journal->Finish();  // a journal without its header could never be used
    return;
  }
  m_journal = std::move(journal);
  m_journal->StartSyncing(m_output.get());
  const std::string path = m_output->FilePath();
  m_openList = CurrentOpenRecordingList();
  if (m_openList && !path.empty()) {
    m_listedPath = os::AbsolutePath(path);
    m_openList->Add(m_listedPath);
  }
}

void Mp4File::CloseJournal(bool finished) {
  if (!m_journal) return;
  if (!finished) {
    m_journal->Close();  // stays on disk, and the file stays listed, for repair
  } else if (m_journal->Finish() && m_openList && !m_listedPath.empty()) {
    m_openList->Remove(m_listedPath);
  }
  m_journal.reset();
  m_openList = nullptr;
  m_listedPath.clear();
}

void Mp4File::SetCreationTime(uint32_t seconds1904) {
  m_now = seconds1904;
  if (m_journal) m_journal->CreationTime(seconds1904);
}

void Mp4File::Journal(bool video, uint32_t offset, const uint8_t* data, uint32_t length, uint32_t time, bool sync) {
  if (!m_journal) return;
  JournalSample sample;
  sample.video = video;
  sample.offset = offset;
  sample.length = length;
  sample.time = time;
  sample.sync = sync;
  sample.crc = Crc32(data, length);
  m_journal->Sample(sample);
}

bool Mp4File::WriteBytes(const uint8_t* data, size_t length) {
  if (!m_output) return false;
  if (!m_streamKnown || m_streamPosition != m_position) {
    if (!m_output->Seek(m_position)) {
      m_streamKnown = false;
      return false;
    }
    m_streamPosition = m_position;
    m_streamKnown = true;
  }
  if (!m_output->Write(data, length)) {
    // Part of the bytes may be on disk; the next write goes to the same place.
    m_streamKnown = false;
    m_outputFailed = true;
    return false;
  }
  m_position += length;
  m_streamPosition = m_position;
  return true;
}

Mp4Track* Mp4File::AddTrack(TrackKind kind, uint32_t trackId) {
  const uint32_t timescale = kind == TrackKind::kVideo   ? m_videoTimescale
                             : kind == TrackKind::kAudio ? m_audioTimescale
                                                         : 1000;
  m_movie->tracks.push_back(std::make_unique<Mp4Track>(kind, trackId, timescale));
  Mp4Track* track = m_movie->tracks.back().get();
  if (kind != TrackKind::kScene) track->sync.push_back(1);
  return track;
}

bool Mp4File::WriteSampleBytes(const uint8_t* data, uint32_t length, uint32_t* offset) {
  const uint64_t reserve = m_finalised ? 0 : kSystemSampleBytes;
  if (m_position + length + reserve > m_sizeLimit) {
    m_limitReached = true;
    return false;
  }
  const uint64_t start = m_position;
  if (!data) {  // adopted: the bytes lie there already
    m_position += length;
    *offset = static_cast<uint32_t>(start);
    return true;
  }
  if (!WriteBytes(data, length)) {
    m_position = start;
    return false;
  }
  *offset = static_cast<uint32_t>(start);
  return true;
}

bool Mp4File::WriteVideo(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time) {
  if (!m_output || m_finalised || !data || length == 0) return false;
  if (index == 0) {
    M4vConfig config;
    if (m_video || !ParseM4vConfig(data, length, &config)) return false;
    if (config.hasVos) m_visualProfile = config.profileAndLevel;
    if (config.hasVol) m_timeIncrementBits = config.timeIncrementBits;
    if (config.hasSize) {
      m_width = config.width;
      m_height = config.height;
    }
    m_video = AddTrack(TrackKind::kVideo, m_movie->nextTrackId++);
    m_video->width = static_cast<uint16_t>(m_width);
    m_video->height = static_cast<uint16_t>(m_height);
    m_video->config.objectTypeIndication = 0x20;
    m_video->config.streamType = 4;
    m_video->config.bufferSizeDB = 106666;
    m_video->config.specificInfo.assign(data, data + length);
    m_movie->visualProfile = static_cast<uint8_t>(m_visualProfile);
    if (m_journal) m_journal->VideoConfig(data, length);
    return true;
  }
  const int codingType = VopCodingType(data, length);
  if (!m_video || codingType < 0) return false;
  return PlaceVideo(data, length, time, codingType == 0);
}

bool Mp4File::WriteAudio(const uint8_t* data, uint32_t length, uint32_t index, uint32_t time) {
  (void)index;  // the first frame written creates the track, whatever its number
  if (!m_output || m_finalised || !data || length == 0) return false;
  return PlaceAudio(data, length, time);
}

bool Mp4File::AdoptVideo(uint32_t length, uint32_t time, bool sync) {
  if (!m_adopting || !m_video || length == 0) return false;
  return PlaceVideo(nullptr, length, time, sync);
}

bool Mp4File::AdoptAudio(uint32_t length, uint32_t time) {
  if (!m_adopting || length == 0) return false;
  return PlaceAudio(nullptr, length, time);
}

bool Mp4File::PlaceVideo(const uint8_t* data, uint32_t length, uint32_t time, bool sync) {
  // Times never run backwards in a track; a unit that claims so lands on the
  // previous one's time.
  uint32_t delta = time >= m_previousVideoTime ? time - m_previousVideoTime : 0;
  uint32_t offset = m_videoOffset;
  if (m_video->SampleCount() == 0 && delta != 0) {
    offset = delta;  // a late first picture: its time becomes the composition offset
    delta = 0;
  }
  uint32_t at = 0;
  if (!WriteSampleBytes(data, length, &at)) return false;
  m_video->AddSample(at, length, delta, sync, offset);
  if (data) Journal(true, at, data, length, time, sync);
  m_videoOffset = offset;
  m_previousVideoTime = time >= m_previousVideoTime ? time : m_previousVideoTime;
  return true;
}

bool Mp4File::PlaceAudio(const uint8_t* data, uint32_t length, uint32_t time) {
  uint32_t delta = time >= m_previousAudioTime ? time - m_previousAudioTime : 0;
  uint32_t offset = m_audioOffset;
  if (!m_audio && delta != 0) {
    offset = delta;
    delta = 0;
  }
  uint32_t at = 0;
  if (!WriteSampleBytes(data, length, &at)) return false;
  if (!m_audio) {
    // The track exists from its first written frame on.
    m_audio = AddTrack(TrackKind::kAudio, m_movie->nextTrackId++);
    m_audio->config.objectTypeIndication = 0xC1;
    m_audio->config.streamType = 5;
    m_audio->config.bufferSizeDB = 106666;
    m_movie->audioProfile = 0xFE;
    m_audioFrameLength = length;
  }
  m_audio->AddSample(at, length, delta, false, offset);
  if (data) Journal(false, at, data, length, time, false);
  m_audioOffset = offset;
  m_previousAudioTime = time >= m_previousAudioTime ? time : m_previousAudioTime;
  return true;
}

bool Mp4File::Finalise() {
  if (!m_output || m_finalised) return false;
  m_finalised = true;
  m_adopting = false;
  const uint64_t mediaEnd = m_position;
  bool ok = WriteTail(mediaEnd);
  if (!ok && m_outputFailed) {
    // Most likely a full disk: the index goes where the last samples were.
    Mp4Buffer tail;
    WriteUserData(tail);
    m_movie->Write(tail, m_now);
    const uint64_t end = GiveBack(mediaEnd, kSystemSampleBytes + tail.Size() + kGiveBackSlack);
    ok = end < mediaEnd && m_output->Truncate(end) && WriteTail(end);
  }
  CloseJournal(ok);
  return ok;
}

uint64_t Mp4File::GiveBack(uint64_t mediaEnd, uint64_t bytes) {
  uint64_t end = mediaEnd;
  while (mediaEnd - end < bytes) {
    Mp4Track* last = nullptr;
    for (Mp4Track* track : {m_video, m_audio})
      if (track && track->SampleCount() > 0 && (!last || track->LastOffset() > last->LastOffset())) last = track;
    if (!last) break;
    end = last->LastOffset();
    last->RemoveLastSample();
    ++m_samplesGivenBack;
  }
  return end;
}

bool Mp4File::WriteTail(uint64_t mediaEnd) {
  m_position = mediaEnd;
  std::unique_ptr<Mp4Movie> movie = CopyOf(*m_movie);
  bool ok = true;

  auto scene = std::make_unique<Mp4Track>(TrackKind::kScene, 1, 1000);
  scene->config.objectTypeIndication = 0x01;
  scene->config.streamType = 3;
  scene->config.bufferSizeDB = 10000;
  scene->config.specificInfo = SceneConfig(m_width, m_height);
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
  if (m_video) od->mpod.push_back(m_video->TrackId());
  if (m_audio) od->mpod.push_back(m_audio->TrackId());
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
  movie->Write(tail, m_now);

  // udta and moov after the samples (moov may lie past 4 GiB), on disk before
  // the mdat size is: a header that claims a finished file while moov is
  // still missing would turn repair away from a file that needs it.
  const uint64_t mdatEnd = m_position;
  ok = ok && WriteBytes(tail.Data().data(), tail.Size());
  if (ok) m_output->Sync();  // a file system that cannot sync still gets its file
  const uint64_t end = m_position;
  const uint32_t mdatSize = static_cast<uint32_t>(mdatEnd);
  const uint8_t header[8] = {uint8_t(mdatSize >> 24), uint8_t(mdatSize >> 16), uint8_t(mdatSize >> 8),
                             uint8_t(mdatSize), 'm', 'd', 'a', 't'};
  // A write that failed part-way may have left bytes past the new end.
  if (ok && m_outputFailed) m_output->Truncate(end);
  if (ok) {
    m_position = 0;
    ok = WriteBytes(header, sizeof header);
    if (ok) m_output->Sync();
    m_position = end;
  }
  if (ok) {
    m_movie = std::move(movie);
    for (const auto& track : m_movie->tracks) {
      if (track->Kind() == TrackKind::kVideo) m_video = track.get();
      if (track->Kind() == TrackKind::kAudio) m_audio = track.get();
    }
  }
  return ok;
}

void Mp4File::Close() {
  CloseJournal(false);
  m_output.reset();
}

}  // namespace record
