#pragma once
// Motion in a camera's pictures, found on the decoded luma plane. Each
// picture is cut into a grid of cells and each cell's mean brightness is
// compared with a slowly adapting background of that cell. A cell counts as
// changed when it differs by more than its own noise floor, learnt from the
// camera's quiet pictures, so sensor noise and compression flicker stay
// below it; a shift that every cell shares (a cloud, the camera's exposure,
// a light switched on) is taken out first. Motion starts when the changed
// part of the picture passes the sensitivity's share for two pictures in a
// row, and ends two seconds after the last such picture.
//
// Thread use: one thread feeds it (the node's media worker); nothing else
// touches it. It allocates nothing per picture.
#include <array>
#include <bitset>
#include <cstdint>

namespace node {

class MotionDetector {
 public:
  static constexpr int kColumns = 32;
  static constexpr int kRows = 24;
  static constexpr int kCells = kColumns * kRows;
  static constexpr uint64_t kEndAfterMs = 2000;
  static constexpr int kMinSensitivity = 1;
  static constexpr int kMaxSensitivity = 10;
  static constexpr int kDefaultSensitivity = 5;

  // Cells to ignore (a tree in the wind, a clock), row by row from the top left.
  using Mask = std::bitset<kCells>;

  struct Event {
    uint64_t startMs = 0;      // the first picture of the two that started it
    uint64_t lengthMs = 0;     // to the last picture with motion
    double largestArea = 0;    // the largest changed share of the watched picture, 0..1
  };
  enum class Change { kNone, kStarted, kEnded };

  void SetSensitivity(int level);
  int Sensitivity() const { return sensitivity_; }
  void SetMask(const Mask& mask) { mask_ = mask; }
  const Mask& GetMask() const { return mask_; }

  // One shown picture: `stride` bytes between rows of the luma plane.
  // Returns whether a motion started or ended with it.
  Change Feed(const uint8_t* luma, int width, int height, int stride, uint64_t nowMs);
  // Ends a running motion now (the view closes, the detector is switched off).
  Change Finish(uint64_t nowMs);

  bool InMotion() const { return in_motion_; }
  // The running motion, or the last one that ended.
  const Event& LastEvent() const { return event_; }
  // The changed share of the watched cells in the last picture, 0..1.
  double ChangedArea() const { return area_; }
  const Mask& ChangedCells() const { return changed_; }
  // The share of the watched cells a picture must change at `level` (1..10).
  static double AreaThreshold(int level);
  // Forgets everything learnt (another camera, another picture size).
  void Reset();

 private:
  void MeasureCells(const uint8_t* luma, int width, int height, int stride);
  // Compares the cells with the background and learns from the quiet ones.
  void Compare(uint64_t elapsedMs);
  Change Decide(uint64_t nowMs);

  int sensitivity_ = kDefaultSensitivity;
  Mask mask_;
  Mask changed_;
  int width_ = 0, height_ = 0;
  int learnt_ = 0;            // pictures seen since the last reset
  uint64_t last_ms_ = 0;
  std::array<float, kCells> mean_{};
  std::array<float, kCells> background_{};
  std::array<float, kCells> noise_{};
  std::array<float, kCells> difference_{};
  std::array<uint32_t, kCells> changed_for_ms_{};  // how long each cell has been changed
  double area_ = 0;
  int run_ = 0;               // pictures in a row over the threshold
  uint64_t run_start_ms_ = 0;
  bool in_motion_ = false;
  uint64_t last_motion_ms_ = 0;
  Event event_;
};

}  // namespace node
