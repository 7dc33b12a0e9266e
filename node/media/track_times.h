#pragma once
// Where each recorded unit goes in the open file: its index and its time on
// the file's clock. Both tracks share one clock: the camera's timestamp of
// the file's first picture is time 0 of the video and of the sound, so a
// picture and the sound recorded with it play together, and sound older
// than the file's first picture is left out. Used under the recorder's
// stream lock only.
#include <cstdint>

#include "node/media/unit_clock.h"

namespace node {

class TrackTimes {
 public:
  static constexpr uint32_t kVideoFallbackStepMs = 50;
  static constexpr uint32_t kAudioFallbackStepMs = 64;

  // A new recording or a new link: the pictures' clock starts afresh. It
  // otherwise runs through the whole recording, as the sound queue's does,
  // so a file that follows another keeps both on one clock.
  void RestartVideoClock() { video_clock_.Reset(); }
  // A new file: its indexes and times start at 0 with its first picture.
  void StartFile();

  // No picture of the file yet: its clock has not started.
  bool AwaitsFirstPicture() const { return first_video_; }
  // A picture stamped `timestamp`: its time in the file (0 for the first).
  uint32_t PictureTime(uint64_t timestamp);
  uint32_t TakeVideoIndex() { return video_index_++; }
  // The file ends before the intra picture stamped `timestamp`: the sound up
  // to that picture still belongs to it.
  void EndBefore(uint64_t timestamp);

  // Whether the pictures have reached a held sound frame (queue time
  // `queued`). Sound stamped by a clock far from the pictures' is put beside
  // the picture written last instead.
  bool SoundCaughtUp(uint64_t queued);
  // The frame's index and time in the file; false when it has no place
  // there (before the file's first picture).
  bool PlaceSound(uint64_t queued, uint32_t* index, uint32_t* time);

 private:
  UnitClock video_clock_{kVideoFallbackStepMs};
  UnitClock audio_clock_{kAudioFallbackStepMs};  // the open file's sound, after the queue's clock
  bool first_video_ = false;
  bool first_audio_ = false;
  uint64_t base_ = 0;        // the pictures' clock at the file's first picture
  int64_t audio_shift_ = 0;  // sound on a clock of its own: moved onto the pictures'
  uint64_t last_video_ = 0;
  uint64_t last_audio_ = 0;
  uint32_t video_index_ = 0;
  uint32_t audio_index_ = 0;
};

}  // namespace node
