#pragma once
// One recording file's pictures and sound as playback and export use them:
// where each sample lies in the file and when it plays, in milliseconds
// from the file's first picture. A finished file is read from its tables; a
// file still being written, or cut off by a crash and not yet repaired, from
// the journal beside it (every sample the journal names lies in the file
// already: the writer puts the bytes first and journals them after), up to
// what the file holds now.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "record/mp4_output.h"
#include "record/mp4_reader.h"

namespace record {

struct TrackSample {
  uint64_t offset = 0;
  uint32_t size = 0;
  int64_t time = 0;  // ms from the first picture; never less than the sample before
  bool sync = false;  // an intra picture (sound: always)
};

// Spans of pictures with no gap longer than the gap rule, in ms from the
// first picture.
struct FileSpan {
  int64_t begin = 0, end = 0;
};

struct RecordingTrack {
  std::vector<uint8_t> config;  // the video decoder configuration (unit 0)
  int width = 0, height = 0;
  uint32_t creationTime = 0;    // seconds since 1970 UTC of the first picture (0: unknown)
  int64_t firstTime = 0;        // the first picture's time on the file's own clock (ms)
  bool unfinished = false;      // read from its journal
  std::vector<TrackSample> video;
  std::vector<TrackSample> sound;  // on the pictures' clock; sound before the first picture is left out

  // The last picture at or before `time`; 0 when all come later. Needs pictures.
  size_t PictureAt(int64_t time) const;
  // The intra picture at or before picture `i` (the first picture when none is).
  size_t IntraAtOrBefore(size_t i) const;
  // The first intra picture at or after `time`; video.size() when none is.
  size_t IntraAtOrAfter(int64_t time) const;
  // How long picture `i` is shown: until the next, the last one as long as the one before.
  int64_t Duration(size_t i) const;
  // The first sound frame at or after `time`.
  size_t SoundAt(int64_t time) const;
};

// A picture that follows the one before it by more than this leaves a gap
// ("No recording" there): pictures stopped coming, or were thrown away.
constexpr int64_t kGapMs = 3000;
// How long a picture is taken to show when nothing says (a file of one picture).
constexpr int64_t kLonePictureMs = 100;

// The spans of a track of time-to-sample runs (the last sample lasting its
// run's delta, as finished files store it), and of a list of picture times.
std::vector<FileSpan> SpansOfRuns(const std::vector<Mp4TimeRun>& runs, uint32_t timescale);
std::vector<FileSpan> SpansOfPictures(const std::vector<TrackSample>& video);

// Reads `media` (its tables), or with a journal, the journal's account of
// it. False with a one-line reason.
bool ReadRecordingTrack(Mp4Storage& media, Mp4Storage* journal, RecordingTrack* track, std::string* error);
// The same for the file at `path` (UTF-8), with "<path>.journal" when there is one.
bool LoadRecordingTrack(const std::string& path, RecordingTrack* track, std::string* error);

// The tracks of the files being played or exported, loaded once: what the
// playback clock, the player and export ask for. A track of a file still
// being written is read again when the file has grown.
class TrackSource {
 public:
  virtual ~TrackSource() = default;
  // Null with a reason when the file cannot be read.
  virtual std::shared_ptr<const RecordingTrack> Track(const std::string& path) = 0;
};

class TrackCache : public TrackSource {
 public:
  explicit TrackCache(size_t capacity = 12) : capacity_(capacity) {}
  std::shared_ptr<const RecordingTrack> Track(const std::string& path) override;
  std::string LastError() const;

 private:
  struct Entry {
    std::string path;
    uint64_t size = 0;
    std::shared_ptr<const RecordingTrack> track;
    uint64_t used = 0;
    uint64_t checked = 0;  // os::MonotonicMs when its size was last looked at
  };
  static constexpr uint64_t kGrowingFileCheckMs = 1000;
  const size_t capacity_;
  mutable std::mutex lock_;  // export and the player may share one
  std::vector<Entry> entries_;
  uint64_t uses_ = 0;
  std::string error_;
};

}  // namespace record
