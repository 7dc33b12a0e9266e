#include "present/draw_path_trial.h"

#include <algorithm>

namespace present {

uint64_t DrawPathTrial::Median(std::vector<uint64_t>& times) {
  std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2), times.end());
  return times[times.size() / 2];
}

DrawPathTrial::Verdict DrawPathTrial::Add(uint64_t microseconds) {
  if (verdict_ == Verdict::kKeepDirectDraw || verdict_ == Verdict::kKeepGdi) return verdict_;
  times_.push_back(microseconds);
  if (times_.size() < kPictures) return verdict_;
  // A median: a picture delayed by the machine's other work does not decide.
  const uint64_t median = Median(times_);
  times_.clear();
  if (verdict_ == Verdict::kMeasuring) {
    direct_draw_us_ = median;
    verdict_ = median <= kFastEnoughUs ? Verdict::kKeepDirectDraw : Verdict::kTryGdi;
  } else {
    gdi_us_ = median;
    verdict_ = direct_draw_us_ > kSlowerBy * gdi_us_ ? Verdict::kKeepGdi : Verdict::kKeepDirectDraw;
  }
  return verdict_;
}

}  // namespace present
