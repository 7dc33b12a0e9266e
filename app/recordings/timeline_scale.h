#pragma once
// The arithmetic of the Recordings window's timeline: which part of a day
// its width shows (the whole day down to one minute, zoomed by the mouse
// wheel about the time under the pointer), the time at a pixel and the
// pixel of a time, where recorded, motion and event bands fall, and the
// spacing of its hour and minute ticks. Portable; the window draws it.
#include <cstdint>
#include <vector>

#include "record/recordings_index.h"

namespace app::recordings {

// A band's pixels [x0, x1): never narrower than one pixel, so a short motion shows.
struct BandPixels {
  int x0 = 0, x1 = 0;
  bool operator==(const BandPixels&) const = default;
};

class TimelineScale {
 public:
  static constexpr int64_t kMinShownMs = 60'000;  // zoomed in fully: one minute

  // The day [begin, end) in wall-clock ms (23 to 25 hours); shows all of it.
  void SetDay(int64_t begin, int64_t end);
  void SetWidth(int pixels);
  int width() const { return width_; }
  int64_t day_begin() const { return day_begin_; }
  int64_t begin() const { return begin_; }
  int64_t end() const { return begin_ + shown_; }
  int64_t shown() const { return shown_; }

  // The time at pixel x (clamped to the width), and the pixel of a time
  // (outside [0, width) for a time not shown).
  int64_t TimeAt(int x) const;
  int XAt(int64_t time) const;
  // Wheel steps: each halves (in, positive) or doubles (out) what is shown,
  // between a minute and the day, keeping the time under pixel x there.
  void Zoom(int steps, int x);
  // Moves what is shown (same span, within the day) so that `time` shows,
  // centred when it did not.
  void Reveal(int64_t time);

  // The spans' pixels within the width, merged where they touch.
  std::vector<BandPixels> Place(const std::vector<record::TimeSpan>& spans) const;
  // The spacing of labelled ticks: at least `min_pixels` apart, on round
  // seconds, minutes or hours.
  int64_t TickMs(int min_pixels) const;

 private:
  void Clamp();
  int64_t day_begin_ = 0, day_end_ = 86'400'000;
  int64_t begin_ = 0, shown_ = 86'400'000;
  int width_ = 1;
};

}  // namespace app::recordings
