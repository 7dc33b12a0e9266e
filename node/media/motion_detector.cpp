#include "node/media/motion_detector.h"

#include <algorithm>
#include <cmath>

namespace node {

namespace {
// Pictures learnt before anything is judged: the noise floor needs them.
constexpr int kWarmUpPictures = 8;
// A cell changes when it differs from what the light predicts by more than
// a number of times its noise (by sensitivity, below), and by at least
// kMinDelta levels whatever its noise: a still camera's coder drops changes
// of about three levels in its predicted pictures and sends them with the
// next intra picture.
constexpr float kMinDelta = 4.0f;
constexpr float kFirstNoise = 1.5f;
// How fast the background and the noise floor follow the cells outside
// objects (time constants in ms). A cell in an object keeps its background,
// or a passing object would leave a trail of cells that no longer match it;
// a cell in objects for kAbsorbMs without a break takes its new look as its
// background (a parked car, a door left open).
constexpr float kQuietMs = 4000.0f;
constexpr float kNoiseMs = 4000.0f;
constexpr uint64_t kAbsorbMs = 20000;
// The scene itself changed (the camera switched to infrared or was moved,
// half a room lit), rather than something moving in it: more of the picture
// than kSceneChangeArea changed, or more than kSceneStepArea changed that
// had not changed in the picture before. Nothing that walks or drives into
// the picture covers a quarter of it between two pictures. The background
// starts again from this picture instead of firing for minutes.
constexpr double kSceneChangeArea = 0.5;
constexpr double kSceneStepArea = 0.25;
// So did the light when it moved the picture's middle brightness by more
// than kLightStep levels between two pictures: a camera's exposure step, a
// lamp switched on (light fading with a cloud or dusk moves a few levels a
// second). A coder updates the dark and the bright parts of such a step in
// different pictures, so for kSettleMs after it the background keeps being
// taken from the pictures and nothing is judged.
constexpr float kLightStep = 4.0f;
constexpr uint64_t kSettleMs = 1000;
// The light fit uses cells away from black and white (a clipped cell does
// not follow the light), needs this many of them and this spread of
// brightness between its darker and brighter half to tell gain from offset,
// and trusts no gain outside these bounds between two pictures.
constexpr float kFitLow = 6.0f, kFitHigh = 245.0f;
constexpr int kFitLeast = 32;
constexpr float kFitSpread = 12.0f;
constexpr float kGainLeast = 0.5f, kGainMost = 2.0f;
// Picture times that jump (a stalled stream) learn as one long picture.
constexpr uint64_t kLongestStepMs = 5000;

// By sensitivity: the share of the watched cells objects must cover (at 5,
// three cells of the grid: a person far off as it steps in) and the noise
// factor.
const double kAreaThresholds[] = {0.10, 0.06, 0.035, 0.015, 0.0035, 0.0025, 0.0018, 0.0012, 0.0012, 0.0012};
const float kNoiseFactors[] = {4.5f, 4.5f, 4.2f, 4.0f, 4.0f, 3.7f, 3.4f, 3.2f, 3.0f, 2.8f};

float Alpha(uint64_t elapsed_ms, float time_constant_ms) {
  return 1.0f - std::exp(-static_cast<float>(elapsed_ms) / time_constant_ms);
}

float Median(float* values, int count) {
  std::nth_element(values, values + count / 2, values + count);
  return values[count / 2];
}
}  // namespace

void MotionDetector::SetSensitivity(int level) {
  sensitivity_ = std::clamp(level, kMinSensitivity, kMaxSensitivity);
}

void MotionDetector::SetMinObjectCells(int cells) {
  min_object_cells_ = std::clamp(cells, kMinObjectCellsLeast, kMinObjectCellsMost);
}

void MotionDetector::SetMinDurationMs(int ms) { min_duration_ms_ = std::clamp(ms, 0, kMinDurationMostMs); }

double MotionDetector::AreaThreshold(int level) {
  return kAreaThresholds[std::clamp(level, kMinSensitivity, kMaxSensitivity) - 1];
}

void MotionDetector::Reset() {
  learnt_ = 0;
  changed_.reset();
  objects_.reset();
  area_ = 0;
  scene_changed_ = false;
  settle_until_ms_ = 0;
  (void)events_.Finish();  // forgotten, not told
}

MotionDetector::Change MotionDetector::Feed(const uint8_t* luma, int width, int height, int stride, uint64_t now_ms) {
  if (!luma || width < kColumns || height < kRows || stride < width) return Change::kNone;
  Change ended = Change::kNone;
  if (width != width_ || height != height_) {
    // The grid follows the picture; what was learnt of the old one is no use.
    ended = Finish(now_ms);
    Reset();
    width_ = width;
    height_ = height;
    column_sums_.assign(static_cast<size_t>(width), 0);
  }
  MeasureCells(luma, width, height, stride);
  const uint64_t elapsed = learnt_ == 0 ? 0 : std::min(now_ms > last_ms_ ? now_ms - last_ms_ : 1, kLongestStepMs);
  last_ms_ = now_ms;
  now_ms_ = now_ms;
  Compare(elapsed);
  const bool moving = area_ > 0 && area_ >= AreaThreshold(sensitivity_);
  const Change decided =
      events_.Decide(moving, area_, objects_, scene_changed_, static_cast<uint64_t>(min_duration_ms_), now_ms);
  return ended != Change::kNone ? ended : decided;
}

MotionDetector::Change MotionDetector::Finish(uint64_t now_ms) {
  (void)now_ms;
  return events_.Finish();
}

// Each cell's mean: the rows of one row of cells are first summed down per
// column (16-bit sums of at most 256 rows, which the compiler vectorises),
// then the columns across per cell.
void MotionDetector::MeasureCells(const uint8_t* luma, int width, int height, int stride) {
  std::array<int, kColumns + 1> left;
  for (int c = 0; c <= kColumns; ++c) left[c] = c * width / kColumns;
  uint16_t* columns = column_sums_.data();
  for (int r = 0; r < kRows; ++r) {
    const int top = r * height / kRows, bottom = (r + 1) * height / kRows;
    std::array<uint32_t, kColumns> sums{};
    for (int from = top; from < bottom; from += 256) {
      const int to = std::min(bottom, from + 256);
      std::fill(columns, columns + width, uint16_t{0});
      for (int y = from; y < to; ++y) {
        const uint8_t* row = luma + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int x = 0; x < width; ++x) columns[x] = static_cast<uint16_t>(columns[x] + row[x]);
      }
      for (int c = 0; c < kColumns; ++c) {
        uint32_t sum = 0;
        for (int x = left[c]; x < left[c + 1]; ++x) sum += columns[x];
        sums[c] += sum;
      }
    }
    for (int c = 0; c < kColumns; ++c) {
      const int pixels = (bottom - top) * (left[c + 1] - left[c]);
      mean_[r * kColumns + c] = pixels > 0 ? static_cast<float>(sums[c]) / static_cast<float>(pixels) : 0.0f;
    }
  }
}

// A resistant line through (background, change) of the watched cells: the
// slope from the median changes of the darker and the brighter half, the
// offset from the median of what the slope leaves. Moving things are a
// minority of the cells and their changes lie far out, so they move
// neither median; the medians of the changes (not of the levels, which
// spread over the whole scene) stay put within the noise.
void MotionDetector::FitLight(float* gain, float* offset, float* step) {
  *gain = 1.0f;
  *offset = 0.0f;
  *step = 0.0f;
  int n = 0, watched = 0;
  for (int i = 0; i < kCells; ++i) {
    if (mask_[i]) continue;
    scratch2_[watched++] = mean_[i] - background_[i];
    if (background_[i] > kFitLow && background_[i] < kFitHigh && mean_[i] > kFitLow && mean_[i] < kFitHigh)
      order_[n++] = static_cast<int16_t>(i);
  }
  if (n < kFitLeast) {  // a picture clipped nearly everywhere: a shift, as far as it tells
    if (watched > 0) *offset = Median(scratch2_.data(), watched);
    *step = std::fabs(*offset);
    return;
  }
  const int half = n / 2;
  std::nth_element(order_.begin(), order_.begin() + half, order_.begin() + n,
                   [this](int16_t a, int16_t b) { return background_[a] < background_[b]; });
  float level[2], change[2];
  for (int part = 0; part < 2; ++part) {
    const int from = part ? half : 0, count = part ? n - half : half;
    for (int k = 0; k < count; ++k) {
      const int i = order_[from + k];
      scratch_[k] = background_[i];
      scratch2_[k] = mean_[i] - background_[i];
    }
    level[part] = Median(scratch_.data(), count);
    change[part] = Median(scratch2_.data(), count);
  }
  const float spread = level[1] - level[0];
  // A slope that moves the two halves apart by less than a level is noise.
  if (spread >= kFitSpread && std::fabs(change[1] - change[0]) >= 0.5f)
    *gain = std::clamp(1.0f + (change[1] - change[0]) / spread, kGainLeast, kGainMost);
  for (int k = 0; k < n; ++k) scratch_[k] = mean_[order_[k]] - *gain * background_[order_[k]];
  *offset = Median(scratch_.data(), n);
  *step = std::fabs((*gain - 1.0f) * (level[0] + level[1]) / 2 + *offset);
}

void MotionDetector::Compare(uint64_t elapsed_ms) {
  scene_changed_ = false;
  if (learnt_ == 0) {
    background_ = mean_;
    noise_.fill(kFirstNoise);
    changed_for_ms_.fill(0);
    changed_.reset();
    objects_.reset();
    area_ = 0;
    ++learnt_;
    return;
  }
  float gain = 1.0f, offset = 0.0f, step = 0.0f;
  FitLight(&gain, &offset, &step);
  const bool judging = learnt_ >= kWarmUpPictures;
  const float factor = kNoiseFactors[sensitivity_ - 1];
  const Mask before = changed_;
  int watched = 0, changed = 0, fresh = 0;
  // The background as this light shows it, and what each cell leaves over.
  for (int i = 0; i < kCells; ++i) {
    background_[i] = std::clamp(gain * background_[i] + offset, 0.0f, 255.0f);
    scratch_[i] = mean_[i] - background_[i];
    const bool moved = judging && std::fabs(scratch_[i]) > std::max(kMinDelta, factor * noise_[i]);
    changed_[i] = moved && !mask_[i];
    if (mask_[i]) continue;
    ++watched;
    if (changed_[i]) {
      ++changed;
      if (!before[i]) ++fresh;
    }
  }
  if (step > kLightStep || (watched > 0 && (changed > kSceneChangeArea * watched || fresh > kSceneStepArea * watched)))
    settle_until_ms_ = now_ms_ + kSettleMs;
  // (A clock that went back does not hold the settling longer.)
  if (now_ms_ < settle_until_ms_ && settle_until_ms_ - now_ms_ <= kSettleMs) {
    background_ = mean_;
    changed_for_ms_.fill(0);
    changed_.reset();
    objects_.reset();
    area_ = 0;
    scene_changed_ = true;
    return;
  }
  const int inObjects = FindObjects();
  area_ = watched > 0 ? static_cast<double>(inObjects) / watched : 0.0;
  // Every cell outside an object learns, specks included: rain, snow and
  // night noise raise the noise floor of the cells where they fall, so the
  // threshold there follows them.
  const float quiet = Alpha(elapsed_ms, kQuietMs), noise = Alpha(elapsed_ms, kNoiseMs);
  for (int i = 0; i < kCells; ++i) {
    if (!objects_[i]) {
      noise_[i] += (std::fabs(scratch_[i]) - noise_[i]) * noise;
      background_[i] += scratch_[i] * quiet;
      changed_for_ms_[i] = 0;
    } else if ((changed_for_ms_[i] += static_cast<uint32_t>(elapsed_ms)) >= kAbsorbMs) {
      background_[i] = mean_[i];
      changed_for_ms_[i] = 0;
    }
  }
  if (learnt_ < kWarmUpPictures) ++learnt_;
}

// Groups the changed cells into objects (cells sharing a side; specks
// touching at corners would chain into lines) and keeps those of at least
// the minimum size; returns their cells.
int MotionDetector::FindObjects() {
  objects_.reset();
  Mask left = changed_;
  int total = 0;
  for (int start = 0; start < kCells; ++start) {
    if (!left[start]) continue;
    int count = 0, next = 0;
    order_[count++] = static_cast<int16_t>(start);
    left.reset(start);
    while (next < count) {
      const int cell = order_[next++], row = cell / kColumns, column = cell % kColumns;
      const int neighbours[4] = {row > 0 ? cell - kColumns : -1, row < kRows - 1 ? cell + kColumns : -1,
                                 column > 0 ? cell - 1 : -1, column < kColumns - 1 ? cell + 1 : -1};
      for (int n : neighbours)
        if (n >= 0 && left[n]) {
          left.reset(n);
          order_[count++] = static_cast<int16_t>(n);
        }
    }
    if (count < min_object_cells_) continue;
    for (int k = 0; k < count; ++k) objects_.set(order_[k]);
    total += count;
  }
  return total;
}

}  // namespace node
