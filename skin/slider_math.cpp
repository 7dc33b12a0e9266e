#include "skin/slider_math.h"

#include <algorithm>
#include <cstdint>

namespace skin {

int ThumbOffset(SliderRange range, int position, int length, int thumb, int margin, bool vertical) {
  int64_t span = int64_t{range.maximum} - range.minimum;
  if (span == 0) return margin;
  int64_t travel = int64_t{length} - 2 * int64_t{margin} - thumb;
  int64_t steps = vertical ? int64_t{range.maximum} - position : int64_t{position} - range.minimum;
  return static_cast<int>(margin + steps * travel / span);
}

int DragValue(SliderRange range, int current, int pointer, int length, int thumb, int margin, bool vertical) {
  int64_t travel = int64_t{length} - 2 * int64_t{margin} - thumb;
  if (travel <= 0) return current;
  int64_t offset = int64_t{pointer} - thumb / 2 - margin;
  int64_t span = int64_t{range.maximum} - range.minimum;
  // Integer division truncates toward zero, as the drag arithmetic wants.
  int64_t steps = span * offset / travel;
  int64_t value = vertical ? range.maximum - steps : range.minimum + steps;
  int64_t low = std::min(range.minimum, range.maximum);
  int64_t high = std::max(range.minimum, range.maximum);
  return static_cast<int>(std::clamp(value, low, high));
}

}  // namespace skin
