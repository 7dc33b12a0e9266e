#include "record/recording_track.h"

#include <algorithm>

#include "os/clock.h"
#include "os/file.h"
#include "record/journal_format.h"
#include "record/m4v_headers.h"
#include "record/recording_journal.h"

namespace record {
namespace {

constexpr uint32_t kSecondsFrom1904To1970 = 2082844800u;

uint32_t To1970(uint32_t seconds1904) { return seconds1904 > kSecondsFrom1904To1970 ? seconds1904 - kSecondsFrom1904To1970 : 0; }

int64_t Milliseconds(int64_t ticks, uint32_t timescale) { return ticks * 1000 / static_cast<int64_t>(timescale); }

void TakeSize(RecordingTrack* track) {
  M4vConfig config;
  if (!track->config.empty() && ParseM4vConfig(track->config.data(), track->config.size(), &config) &&
      config.hasSize) {
    track->width = config.width;
    track->height = config.height;
  }
}

// Moves the sound onto the pictures' clock (ms from the first picture) and
// leaves out what came before it.
void AlignSound(RecordingTrack* track, const std::vector<TrackSample>& sound) {
  for (TrackSample s : sound) {
    s.time -= track->firstTime;
    if (s.time >= 0) track->sound.push_back(s);
  }
}

bool FromTables(Mp4Storage& media, RecordingTrack* track, std::string* error) {
  Mp4Index index;
  if (!ReadMp4Index(media, &index, error)) return false;
  const Mp4ReadTrack* video = nullptr;
  const Mp4ReadTrack* audio = nullptr;
  for (const Mp4ReadTrack& t : index.tracks) {
    if (!video && t.handler == "vide" && t.sampleEntry == "mp4v") video = &t;
    if (!audio && t.handler == "soun") audio = &t;
  }
  if (!video && !audio) return *error = "no video or sound track", false;
  track->creationTime = To1970(index.creationTime);
  auto times = [](const Mp4ReadTrack& t, std::vector<TrackSample>* out) {
    int64_t previous = INT64_MIN;
    for (const Mp4ReadSample& s : t.samples) {
      const int64_t time = std::max(previous, Milliseconds(static_cast<int64_t>(s.decodeTime) + s.compositionOffset,
                                                           t.timescale));
      out->push_back({s.offset, s.size, time, s.sync});
      previous = time;
    }
  };
  std::vector<TrackSample> sound;
  if (video) {
    track->config = video->decoderInfo;
    track->width = video->width;
    track->height = video->height;
    TakeSize(track);
    times(*video, &track->video);
  }
  if (audio) times(*audio, &sound);
  const std::vector<TrackSample>& first = video && !track->video.empty() ? track->video : sound;
  track->firstTime = first.empty() ? 0 : first.front().time;
  for (TrackSample& s : track->video) s.time -= track->firstTime;
  AlignSound(track, sound);
  return true;
}

bool FromJournal(Mp4Storage& media, Mp4Storage& journal, RecordingTrack* track, std::string* error) {
  JournalReader reader(journal);
  JournalEntry entry;
  if (!reader.Next(&entry) || entry.type != JournalRecord::kHeader) return *error = "the journal has no header", false;
  track->creationTime = To1970(entry.creationTime);
  const uint64_t size = media.Size();
  std::vector<TrackSample> sound;
  int64_t lastVideo = 0, lastSound = 0;
  bool firstChecked = false;
  while (reader.Next(&entry)) {
    if (entry.type == JournalRecord::kCreationTime) track->creationTime = To1970(entry.creationTime);
    if (entry.type == JournalRecord::kVideoConfig && track->config.empty()) track->config = entry.config;
    if (entry.type != JournalRecord::kVideoSample && entry.type != JournalRecord::kAudioSample) continue;
    const JournalSample& s = entry.sample;
    // The journal runs ahead of what a crash left in the file: it ends there.
    if (s.length == 0 || s.offset > size || s.length > size - s.offset) break;
    if (s.video && !firstChecked) {
      // A journal left by another recording of this name would show its pictures as garbage.
      uint8_t head[5] = {};
      if (!media.Read(s.offset, head, std::min<size_t>(sizeof head, s.length)) ||
          (VopCodingType(head, std::min<size_t>(sizeof head, s.length)) == 0) != s.sync)
        return *error = "the journal does not describe this file", false;
      firstChecked = true;
    }
    // Times never run backwards in a track, as the writer enters them.
    int64_t& last = s.video ? lastVideo : lastSound;
    last = std::max<int64_t>(last, s.time);
    (s.video ? track->video : sound).push_back({s.offset, s.length, last, s.video ? s.sync : true});
  }
  track->unfinished = true;
  TakeSize(track);
  track->firstTime = !track->video.empty() ? track->video.front().time : !sound.empty() ? sound.front().time : 0;
  for (TrackSample& s : track->video) s.time -= track->firstTime;
  AlignSound(track, sound);
  return true;
}

}  // namespace

size_t RecordingTrack::PictureAt(int64_t time) const {
  auto it = std::upper_bound(video.begin(), video.end(), time,
                             [](int64_t t, const TrackSample& s) { return t < s.time; });
  return it == video.begin() ? 0 : static_cast<size_t>(it - video.begin()) - 1;
}

size_t RecordingTrack::IntraAtOrBefore(size_t i) const {
  if (video.empty()) return 0;
  for (i = std::min(i, video.size() - 1); i > 0; --i)
    if (video[i].sync) return i;
  return 0;
}

size_t RecordingTrack::IntraAtOrAfter(int64_t time) const {
  auto it = std::lower_bound(video.begin(), video.end(), time,
                             [](const TrackSample& s, int64_t t) { return s.time < t; });
  for (; it != video.end(); ++it)
    if (it->sync) break;
  return static_cast<size_t>(it - video.begin());
}

int64_t RecordingTrack::Duration(size_t i) const {
  if (i + 1 < video.size()) return video[i + 1].time - video[i].time;
  if (i > 0 && i < video.size()) return video[i].time - video[i - 1].time;
  return kLonePictureMs;
}

size_t RecordingTrack::SoundAt(int64_t time) const {
  auto it = std::lower_bound(sound.begin(), sound.end(), time,
                             [](const TrackSample& s, int64_t t) { return s.time < t; });
  return static_cast<size_t>(it - sound.begin());
}

std::vector<FileSpan> SpansOfRuns(const std::vector<Mp4TimeRun>& runs, uint32_t timescale) {
  std::vector<FileSpan> spans;
  if (timescale == 0) return spans;
  // Ticks from the first sample; a run whose delta is a gap ends a span at
  // each of its samples, each shown as long as the pictures before it were.
  uint64_t t = 0, begin = 0, usual = 0;
  bool any = false;
  const uint64_t gap = static_cast<uint64_t>(kGapMs) * timescale / 1000;
  auto close = [&](uint64_t end) {
    if (end > begin) spans.push_back({Milliseconds(static_cast<int64_t>(begin), timescale),
                                      Milliseconds(static_cast<int64_t>(end), timescale)});
  };
  for (const Mp4TimeRun& run : runs) {
    if (run.count == 0) continue;
    any = true;
    if (run.delta <= gap) {
      t += uint64_t{run.count} * run.delta;
      usual = run.delta;
      continue;
    }
    const uint64_t shown = usual ? usual : static_cast<uint64_t>(kLonePictureMs) * timescale / 1000;
    for (uint32_t k = 0; k < run.count; ++k) {
      close(t + shown);
      t += run.delta;
      begin = t;
    }
  }
  if (any) close(t);
  return spans;
}

std::vector<FileSpan> SpansOfPictures(const std::vector<TrackSample>& video) {
  std::vector<Mp4TimeRun> runs;
  for (size_t i = 0; i < video.size(); ++i) {
    // The last picture lasts as long as the one before it, as a finished file says.
    const int64_t delta = i + 1 < video.size() ? video[i + 1].time - video[i].time
                          : i > 0              ? video[i].time - video[i - 1].time
                                               : 0;
    const uint32_t d = static_cast<uint32_t>(std::clamp<int64_t>(delta, 0, UINT32_MAX));
    if (!runs.empty() && runs.back().delta == d)
      ++runs.back().count;
    else
      runs.push_back({1, d});
  }
  if (video.size() == 1) return {{0, kLonePictureMs}};
  return SpansOfRuns(runs, 1000);
}

bool ReadRecordingTrack(Mp4Storage& media, Mp4Storage* journal, RecordingTrack* track, std::string* error) {
  *track = RecordingTrack();
  return journal ? FromJournal(media, *journal, track, error) : FromTables(media, track, error);
}

bool LoadRecordingTrack(const std::string& path, RecordingTrack* track, std::string* error) {
  std::unique_ptr<Mp4FileOutput> media = Mp4FileOutput::OpenExisting(path, false);
  if (!media) return *error = "cannot open " + path, false;
  // A finished file whose journal was left behind reads from its tables.
  std::string tablesError;
  if (ReadRecordingTrack(*media, nullptr, track, &tablesError)) return true;
  std::unique_ptr<Mp4FileOutput> journal = Mp4FileOutput::OpenExisting(JournalPathFor(path), false);
  if (!journal) return *error = tablesError, false;
  return ReadRecordingTrack(*media, journal.get(), track, error);
}

std::shared_ptr<const RecordingTrack> TrackCache::Track(const std::string& path) {
  std::lock_guard<std::mutex> lock(lock_);
  const uint64_t now = os::MonotonicMs();
  uint64_t size = 0;
  bool sized = false;
  for (Entry& e : entries_) {
    if (e.path != path) continue;
    // A finished file stays as it is; one still being written is looked at
    // again now and then for what it gained (or for its repair).
    if (e.track->unfinished && now - e.checked >= kGrowingFileCheckMs) {
      size = os::FileSize(path);
      sized = true;
      if (size != e.size) break;
      e.checked = now;
    }
    e.used = ++uses_;
    return e.track;
  }
  if (!sized) size = os::FileSize(path);
  auto track = std::make_shared<RecordingTrack>();
  if (!LoadRecordingTrack(path, track.get(), &error_)) return nullptr;
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == path; }),
                 entries_.end());
  if (entries_.size() >= capacity_) {
    auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                   [](const Entry& a, const Entry& b) { return a.used < b.used; });
    entries_.erase(oldest);
  }
  entries_.push_back({path, size, track, ++uses_, now});
  return track;
}

std::string TrackCache::LastError() const {
  std::lock_guard<std::mutex> lock(lock_);
  return error_;
}

}  // namespace record
