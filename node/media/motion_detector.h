#pragma once
// Motion in a camera's pictures, found on the decoded luma plane. Each
// picture is cut into a grid of cells and each cell's mean brightness is
// compared with a slowly adapting background of that cell.
//
// What is not motion is taken out first. Light that changes over the whole
// picture (a cloud, a lamp switched on, the camera stepping its exposure)
// scales and shifts every cell alike, so the detector fits one gain and
// one offset from the background to the picture over all cells, robustly
// (moving things are outliers), and judges each cell against that. A
// change of much of the picture in one step (the camera switching to
// infrared or stepping its exposure, being turned) takes the background
// anew from the pictures of the next second, while the camera's coder
// catches up, and starts nothing.
//
// A cell counts as changed when it differs by more than its own noise
// floor, learnt from its quiet pictures (so a noisy night raises the
// threshold where the noise is). Changed cells count only in objects of at
// least the minimum size, connected cells of the grid, so specks of rain,
// snow and noise never add up; an event starts when those objects cover
// the sensitivity's share of the watched picture for the minimum duration,
// and ends two seconds after the last such picture.
//
// Thread use: one thread feeds it (the node's media worker); nothing else
// touches it. It allocates nothing per picture (only when the size changes).
#include <array>
#include <cstdint>
#include <vector>

#include "node/media/motion_events.h"

namespace node {

class MotionDetector {
 public:
  static constexpr int kColumns = kMotionColumns;
  static constexpr int kRows = kMotionRows;
  static constexpr int kCells = kColumns * kRows;
  static constexpr uint64_t kEndAfterMs = MotionEvents::kEndAfterMs;
  static constexpr int kMinSensitivity = 1;
  static constexpr int kMaxSensitivity = 10;
  static constexpr int kDefaultSensitivity = 5;
  // The smallest object that counts, in connected cells (a far person is
  // about 10 cells, a rain drop or a speck of noise one).
  static constexpr int kMinObjectCellsLeast = 1;
  static constexpr int kMinObjectCellsMost = 32;
  static constexpr int kDefaultMinObjectCells = 3;
  // How long a motion must last before its event starts, in milliseconds.
  static constexpr int kMinDurationMostMs = 10000;
  static constexpr int kDefaultMinDurationMs = 300;

  // Cells to ignore (a tree in the wind, a clock), row by row from the top left.
  using Mask = MotionCells;
  using Event = MotionEvent;
  using Change = MotionChange;

  void SetSensitivity(int level);
  int Sensitivity() const { return sensitivity_; }
  void SetMask(const Mask& mask) { mask_ = mask; }
  const Mask& GetMask() const { return mask_; }
  // Clamped to kMinObjectCellsLeast..kMinObjectCellsMost.
  void SetMinObjectCells(int cells);
  int MinObjectCells() const { return min_object_cells_; }
  // Clamped to 0..kMinDurationMostMs.
  void SetMinDurationMs(int ms);
  int MinDurationMs() const { return min_duration_ms_; }

  // One shown picture: `stride` bytes between rows of the luma plane.
  // Returns whether a motion started or ended with it.
  Change Feed(const uint8_t* luma, int width, int height, int stride, uint64_t now_ms);
  // Ends a running motion now (the view closes, the detector is switched off).
  Change Finish(uint64_t now_ms);

  bool InMotion() const { return events_.InMotion(); }
  // The running motion, or the last one that ended.
  const Event& LastEvent() const { return events_.LastEvent(); }
  // Of the last picture: the share of the watched cells that objects large
  // enough cover (what the sensitivity judges), 0..1; every watched cell
  // over its threshold; and those of them in objects large enough. The last
  // two are what a settings window shows live, so a user sees what fires.
  double ChangedArea() const { return area_; }
  const Mask& ChangedCells() const { return changed_; }
  const Mask& ObjectCells() const { return objects_; }
  // The last picture changed so much of the scene at once (or came soon
  // after such a one) that the background was taken anew from it.
  bool SceneChanged() const { return scene_changed_; }
  // The share of the watched cells objects must cover at `level` (1..10).
  static double AreaThreshold(int level);
  // Forgets everything learnt (another camera, another picture size).
  void Reset();

 private:
  void MeasureCells(const uint8_t* luma, int width, int height, int stride);
  // The gain and offset that carry the background to this picture.
  // `step`: how far that moves the picture's middle brightness.
  void FitLight(float* gain, float* offset, float* step);
  // Compares the cells with the background and learns from the quiet ones.
  void Compare(uint64_t elapsed_ms);
  // Keeps the changed cells that lie in objects of at least min_object_cells_.
  int FindObjects();

  int sensitivity_ = kDefaultSensitivity;
  int min_object_cells_ = kDefaultMinObjectCells;
  int min_duration_ms_ = kDefaultMinDurationMs;
  Mask mask_;
  Mask changed_, objects_;
  int width_ = 0, height_ = 0;
  int learnt_ = 0;            // pictures seen since the last reset
  uint64_t last_ms_ = 0;
  uint64_t now_ms_ = 0;
  uint64_t settle_until_ms_ = 0;  // the scene changed: taken anew, not judged, until then
  std::vector<uint16_t> column_sums_;  // one cell row's columns, summed down
  std::array<float, kCells> mean_{};
  std::array<float, kCells> background_{};
  std::array<float, kCells> noise_{};
  std::array<float, kCells> scratch_{}, scratch2_{};
  std::array<int16_t, kCells> order_{};
  std::array<uint32_t, kCells> changed_for_ms_{};  // how long each cell has been changed
  double area_ = 0;
  bool scene_changed_ = false;
  MotionEvents events_;
};

}  // namespace node
