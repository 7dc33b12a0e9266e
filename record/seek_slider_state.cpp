#include "record/seek_slider_state.h"

#include <cstdio>

namespace record {

int SeekSliderState::SliderFor(uint64_t position, uint64_t length) {
  if (length == 0) return 0;
  const uint64_t slider = position * kRange / length;
  return slider > kRange ? kRange : static_cast<int>(slider);
}

uint64_t SeekSliderState::TargetFor(int slider, uint64_t length) {
  if (slider < 0) slider = 0;
  if (slider > kRange) slider = kRange;
  return length * static_cast<uint64_t>(slider) / kRange;
}

int SeekSliderState::Open(uint32_t channel, uint64_t length, uint64_t position) {
  channel_ = channel;
  length_ = length;
  position_ = position;
  dragging_ = false;
  return SliderFor(position_, length_);
}

int SeekSliderState::OnPosition(uint64_t position) {
  position_ = position;
  return dragging_ ? -1 : SliderFor(position_, length_);
}

uint64_t SeekSliderState::OnRelease(int slider) {
  dragging_ = true;
  held_ = slider;
  return TargetFor(slider, length_);
}

std::string SeekSliderState::FormatTime(uint64_t ms) {
  const uint64_t seconds = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%02llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  return text;
}

}  // namespace record
