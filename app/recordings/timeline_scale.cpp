#include "app/recordings/timeline_scale.h"

#include <algorithm>

namespace app::recordings {

void TimelineScale::SetDay(int64_t begin, int64_t end) {
  day_begin_ = begin;
  day_end_ = std::max(end, begin + kMinShownMs);
  begin_ = day_begin_;
  shown_ = day_end_ - day_begin_;
}

void TimelineScale::SetWidth(int pixels) { width_ = std::max(pixels, 1); }

int64_t TimelineScale::TimeAt(int x) const {
  // The first millisecond that falls on the pixel, so XAt(TimeAt(x)) is x.
  x = std::clamp(x, 0, width_);
  return begin_ + (shown_ * x + width_ - 1) / width_;
}

int TimelineScale::XAt(int64_t time) const {
  // Floor division, so times before the shown span land left of pixel 0.
  const int64_t scaled = (time - begin_) * width_;
  int64_t x = scaled / shown_;
  if (scaled % shown_ != 0 && scaled < 0) --x;
  return static_cast<int>(std::clamp<int64_t>(x, -1'000'000, 1'000'000));
}

void TimelineScale::Zoom(int steps, int x) {
  const int64_t anchor = TimeAt(x);
  int64_t shown = shown_;
  for (; steps > 0; --steps) shown /= 2;
  for (; steps < 0; ++steps) shown *= 2;
  shown_ = std::clamp(shown, kMinShownMs, day_end_ - day_begin_);
  begin_ = anchor - shown_ * std::clamp(x, 0, width_) / width_;
  Clamp();
}

void TimelineScale::Reveal(int64_t time) {
  if (time >= begin_ && time < begin_ + shown_) return;
  begin_ = time - shown_ / 2;
  Clamp();
}

void TimelineScale::Clamp() {
  begin_ = std::clamp(begin_, day_begin_, day_end_ - shown_);
}

std::vector<BandPixels> TimelineScale::Place(const std::vector<record::TimeSpan>& spans) const {
  std::vector<BandPixels> bands;
  for (const record::TimeSpan& s : spans) {
    if (s.end <= begin_ || s.begin >= begin_ + shown_) continue;
    const int x0 = std::max(XAt(s.begin), 0);
    const int x1 = std::clamp(XAt(s.end), x0 + 1, width_);
    if (!bands.empty() && x0 <= bands.back().x1)
      bands.back().x1 = std::max(bands.back().x1, x1);
    else
      bands.push_back({x0, x1});
  }
  return bands;
}

int64_t TimelineScale::TickMs(int min_pixels) const {
  static constexpr int64_t kSteps[] = {1'000, 5'000, 10'000, 30'000, 60'000, 300'000, 600'000,
                                       1'800'000, 3'600'000, 3 * 3'600'000, 6 * 3'600'000};
  for (int64_t step : kSteps)
    if (step * width_ >= int64_t{min_pixels} * shown_) return step;
  return kSteps[std::size(kSteps) - 1];
}

}  // namespace app::recordings
