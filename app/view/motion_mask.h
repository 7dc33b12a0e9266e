#pragma once
// Editing the motion detector's mask over the picture: a press on a cell
// decides whether the drag masks or unmasks (the opposite of that cell's
// state), and the drag applies it to the rectangle of cells between the
// press and the pointer, so dragging back shrinks it again. Also the mask's
// stored form: one hexadecimal digit per four cells, row by row.
#include <string>

#include "node/media/motion_detector.h"

namespace app::view {

using MotionMask = node::MotionDetector::Mask;

// The cell under (x, y) in a picture area of width x height, or -1 outside it.
int MaskCellAt(int x, int y, int width, int height);

class MaskEdit {
 public:
  // A press on `cell` of `mask` (ignored when cell is -1).
  void Begin(const MotionMask& mask, int cell);
  // The pointer over `cell` (its last cell when -1): the mask as the drag now makes it.
  MotionMask DragTo(int cell);
  bool active() const { return active_; }
  void End() { active_ = false; }

 private:
  MotionMask before_;
  int anchor_ = -1;
  int last_ = -1;
  bool masking_ = true;
  bool active_ = false;
};

std::string MaskToText(const MotionMask& mask);
// The Motion Settings dialog's fields: the smallest object in cells
// (1..32) and the shortest motion in seconds with at most one decimal
// ("0.3", "2", "10"; a comma for the decimal point too). False for
// anything else, out of range included, leaving the value untouched.
bool ParseMinObjectCells(const std::string& text, int* cells);
bool ParseMinDurationText(const std::string& text, int* ms);
std::string MinDurationText(int ms);
// False (and `mask` untouched) for anything but a stored mask's text.
bool MaskFromText(const std::string& text, MotionMask* mask);

}  // namespace app::view
