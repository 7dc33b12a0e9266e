#pragma once
// The seek window's state for one playing stored file: the file video
// channel, the file's length and the last position (both in the
// milliseconds of the node's playback positions), and whether the user holds
// the slider. While dragged, and for kHoldMs after the release (the server
// needs that long to restart the file), position updates leave the slider
// where the user put it.
#include <cstdint>
#include <string>

namespace record {

class SeekSliderState {
 public:
  static constexpr int kRange = 100;
  static constexpr int kHoldMs = 2000;

  // Position times 100 over the length, 0 for a length of 0, at most 100.
  static int SliderFor(uint64_t position, uint64_t length);
  // Length times slider over 100: where the slider asks playback to go.
  static uint64_t TargetFor(int slider, uint64_t length);

  // The command that opens the window: returns the slider value to show.
  int Open(uint32_t channel, uint64_t length, uint64_t position);
  // A playback position: the slider value to show, or -1 to leave it.
  int OnPosition(uint64_t position);
  // The user moves the slider to `slider`: updates stop moving it.
  void OnDrag(int slider) {
    dragging_ = true;
    held_ = slider;
  }
  // The user released the slider at `slider`: the seek target.
  uint64_t OnRelease(int slider);
  // The hold after a release is over: updates move the slider again.
  void OnHoldOver() { dragging_ = false; }

  // The time the window shows: while the slider is held, where it asks
  // playback to go; otherwise the playback position.
  uint64_t ShownTime() const { return dragging_ ? TargetFor(held_, length_) : position_; }
  // "hh:mm:ss" of a time in milliseconds; the hours go on past 99.
  static std::string FormatTime(uint64_t ms);

  uint32_t channel() const { return channel_; }
  uint64_t length() const { return length_; }
  uint64_t position() const { return position_; }
  bool dragging() const { return dragging_; }

 private:
  uint32_t channel_ = 0;
  uint64_t length_ = 0;
  uint64_t position_ = 0;
  bool dragging_ = false;
  int held_ = 0;  // the slider value while dragging_
};

}  // namespace record
