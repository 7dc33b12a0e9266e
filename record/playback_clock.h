#pragma once
// The clock of recorded playback: a position on the wall clock that runs at
// a chosen speed or stands, and for up to four cameras which picture of
// which file shows there and how the decoder gets to it. Every camera shows
// the last picture at or before the one position, so pictures of cameras
// played together are never more than a picture interval apart; a camera
// with no recording there shows "No recording" (a gap shorter than kGapMs,
// as between the files of one recording, shows its last picture on). Passing the end of a file
// goes on in the file that plays next without a gap or a jump (the index
// decides which file plays where, CameraRecordings::segments); when no
// camera has a recording at the position while playing, the position goes
// on at the next recording.
//
// Pure logic on a clock it is given (milliseconds of a monotonic clock), so
// tests run it on fake time. Threads: one (the player's worker).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "record/recording_track.h"
#include "record/recordings_index.h"

namespace record {

struct PlaySpeed {
  int num = 1, den = 1;
  bool operator==(const PlaySpeed& o) const { return num * o.den == o.num * den; }
};
// The speeds offered: 1/4, 1/2, 1, 2, 4, 8 and 16 times.
constexpr PlaySpeed kPlaySpeeds[] = {{1, 4}, {1, 2}, {1, 1}, {2, 1}, {4, 1}, {8, 1}, {16, 1}};

// What one camera does at a tick.
struct PictureStep {
  enum class Kind : uint8_t {
    kSame,         // the picture shown stays
    kPicture,      // decode pictures decodeFrom..picture of the file, show the last
    kNoRecording,  // nothing recorded here (or the file cannot be read)
  };
  Kind kind = Kind::kSame;
  std::string path;  // the file
  std::shared_ptr<const RecordingTrack> track;
  size_t picture = 0;
  size_t decodeFrom = 0;
  bool restart = false;  // decodeFrom is an intra picture: decoding starts anew there
  int64_t time = 0;      // wall-clock ms of the picture shown
};

// Sound frames of one file that fall due, in order.
struct SoundStep {
  std::string path;
  std::shared_ptr<const RecordingTrack> track;
  size_t first = 0, count = 0;
  bool restart = false;  // not the continuation of the last step: the sound decoder starts anew
};

class PlaybackClock {
 public:
  static constexpr size_t kMaxCameras = 4;
  // Sound is handed over this long before it is due.
  static constexpr int64_t kSoundLeadMs = 300;

  explicit PlaybackClock(TrackSource& tracks) : tracks_(tracks) {}

  // The catalog may be replaced by a newer one at any time; the position stays.
  void SetCatalog(std::shared_ptr<const RecordingsCatalog> catalog);
  // Up to kMaxCameras by name; the first is the one whose sound plays.
  void SetCameras(const std::vector<std::string>& cameras);
  size_t CameraCount() const { return cameras_.size(); }

  // Commands; `now` is the monotonic clock's millisecond.
  void Seek(int64_t wall_ms, uint64_t now);
  void SetSpeed(PlaySpeed speed, uint64_t now);
  void SetPaused(bool paused, uint64_t now);
  // One picture forward or back (+1, -1), pausing: to the next picture of any
  // camera, or back to the picture before the one shown (of the camera whose
  // picture before is latest).
  void Step(int direction, uint64_t now);
  void Jump(int64_t delta_ms, uint64_t now);
  // To the start of the next (previous) motion of any camera played; false when there is none.
  bool NextMotion(uint64_t now);
  bool PreviousMotion(uint64_t now);

  // What each camera shows at `now`, one step per camera.
  std::vector<PictureStep> Tick(uint64_t now);
  // The first camera's sound that falls due by `now`: only while playing at 1x.
  std::vector<SoundStep> TakeSound(uint64_t now);
  // The monotonic millisecond by which the next tick has something to do.
  uint64_t NextDue(uint64_t now);

  int64_t Position(uint64_t now) const;
  PlaySpeed Speed() const { return speed_; }
  bool Paused() const { return paused_; }
  // The position ran past the last recording of every camera (and paused there).
  bool AtEnd() const { return at_end_; }

  // The most pictures one tick may decode for a camera while playing (the
  // player measures what its decoder manages); past it, the step goes to an
  // intra picture nearer the position, or as far as the budget reaches.
  // Seeks and steps are always decoded to the exact picture.
  void SetDecodeBudget(size_t pictures) { budget_ = pictures < 1 ? 1 : pictures; }
  // The player could not carry out the camera's last step: the next starts anew.
  void Forget(size_t camera);

 private:
  struct Camera {
    std::string name;
    const CameraRecordings* recordings = nullptr;
    std::string shownPath;     // empty: nothing shown (or "No recording")
    size_t shown = 0;
    bool noRecording = false;  // "No recording" is what shows
    std::string decodedPath;   // the decoder's state
    size_t decoded = 0;
  };
  struct Located {
    const RecordingFile* file = nullptr;
    const Segment* segment = nullptr;
    std::shared_ptr<const RecordingTrack> track;
    size_t picture = 0;
    int64_t time = 0;  // wall-clock
  };
  void Anchor(int64_t wall_ms, uint64_t now);
  // The picture camera `c` shows at `position`; false in a gap.
  bool Locate(const Camera& c, int64_t position, Located* at);
  // The wall-clock time of the camera's first picture after `position`, or
  // before its picture at `position`; false when there is none.
  bool NextPictureTime(const Camera& c, int64_t position, int64_t* time);
  bool PreviousPictureTime(const Camera& c, int64_t position, int64_t* time);
  PictureStep Plan(Camera& c, const Located& at, bool exact);
  // Between two of the camera's recordings less than kGapMs apart (files of
  // one recording meet within a picture or two): its last picture stays.
  bool ShortGap(const Camera& c, int64_t position) const;

  TrackSource& tracks_;
  std::shared_ptr<const RecordingsCatalog> catalog_;
  std::vector<Camera> cameras_;
  int64_t anchor_position_ = 0;
  uint64_t anchor_now_ = 0;
  PlaySpeed speed_;
  bool paused_ = true;
  bool at_end_ = false;
  bool exact_ = true;  // the next tick decodes to the exact picture (after a seek or step)
  size_t budget_ = 1000;
  // The sound handed over so far: up to this wall-clock time, of this file.
  int64_t sound_until_ = 0;
  std::string sound_path_;
  bool sound_restart_ = true;
};

}  // namespace record
