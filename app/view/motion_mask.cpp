#include "app/view/motion_mask.h"

#include <algorithm>

namespace app::view {

namespace {
constexpr int kColumns = node::MotionDetector::kColumns;
constexpr int kRows = node::MotionDetector::kRows;
constexpr int kCells = node::MotionDetector::kCells;
constexpr char kDigits[] = "0123456789abcdef";

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

int MaskCellAt(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || x >= width || y >= height) return -1;
  const int column = static_cast<int>(static_cast<long long>(x) * kColumns / width);
  const int row = static_cast<int>(static_cast<long long>(y) * kRows / height);
  return row * kColumns + column;
}

void MaskEdit::Begin(const MotionMask& mask, int cell) {
  if (cell < 0 || cell >= kCells) return;
  before_ = mask;
  anchor_ = last_ = cell;
  masking_ = !mask.test(static_cast<size_t>(cell));
  active_ = true;
}

MotionMask MaskEdit::DragTo(int cell) {
  if (!active_) return before_;
  if (cell >= 0 && cell < kCells) last_ = cell;
  MotionMask mask = before_;
  const int left = std::min(anchor_ % kColumns, last_ % kColumns), right = std::max(anchor_ % kColumns, last_ % kColumns);
  const int top = std::min(anchor_ / kColumns, last_ / kColumns), bottom = std::max(anchor_ / kColumns, last_ / kColumns);
  for (int row = top; row <= bottom; ++row)
    for (int column = left; column <= right; ++column) mask.set(static_cast<size_t>(row * kColumns + column), masking_);
  return mask;
}

std::string MaskToText(const MotionMask& mask) {
  std::string text;
  text.reserve(kCells / 4);
  for (int i = 0; i < kCells; i += 4) {
    int value = 0;
    for (int bit = 0; bit < 4; ++bit) value |= mask.test(static_cast<size_t>(i + bit)) << bit;
    text.push_back(kDigits[value]);
  }
  return text;
}

bool MaskFromText(const std::string& text, MotionMask* mask) {
  if (text.size() != kCells / 4) return false;
  MotionMask read;
  for (int i = 0; i < kCells / 4; ++i) {
    const int value = DigitValue(text[static_cast<size_t>(i)]);
    if (value < 0) return false;
    for (int bit = 0; bit < 4; ++bit) read.set(static_cast<size_t>(i * 4 + bit), (value >> bit) & 1);
  }
  *mask = read;
  return true;
}

bool ParseMinObjectCells(const std::string& text, int* cells) {
  if (text.empty() || text.size() > 2) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < node::MotionDetector::kMinObjectCellsLeast || value > node::MotionDetector::kMinObjectCellsMost)
    return false;
  *cells = value;
  return true;
}

bool ParseMinDurationText(const std::string& text, int* ms) {
  int whole = 0, tenths = 0, digits = 0, decimals = -1;
  for (char c : text) {
    if (c == '.' || c == ',') {
      if (decimals >= 0 || digits == 0) return false;
      decimals = 0;
    } else if (c >= '0' && c <= '9') {
      if (decimals < 0) {
        if (++digits > 2) return false;
        whole = whole * 10 + (c - '0');
      } else {
        if (++decimals > 1) return false;
        tenths = c - '0';
      }
    } else {
      return false;
    }
  }
  if (digits == 0 || decimals == 0) return false;
  const int value = whole * 1000 + tenths * 100;
  if (value > node::MotionDetector::kMinDurationMostMs) return false;
  *ms = value;
  return true;
}

std::string MinDurationText(int ms) {
  const int tenths = (ms + 50) / 100;
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10) {
    text += '.';
    text += static_cast<char>('0' + tenths % 10);
  }
  return text;
}

}  // namespace app::view
