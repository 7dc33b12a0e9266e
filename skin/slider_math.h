#pragma once
// The skinned slider's arithmetic: where the thumb is drawn for a value, and
// which value a pointer position gives while the thumb is dragged. A
// horizontal slider has its minimum at the left; a vertical one has its
// maximum at the top.
namespace skin {

struct SliderRange {
  int minimum = 0;
  int maximum = 0;
};

// Offset of the thumb's leading edge (left, or top when vertical) along a
// channel of `length` pixels: margin + share of the travel, where travel =
// length - 2 x margin - thumb. An empty range puts the thumb at the margin.
int ThumbOffset(SliderRange range, int position, int length, int thumb, int margin, bool vertical);

// The value for a pointer at `pointer` along a control of `length` pixels:
// offset = pointer - thumb / 2 - margin, value = minimum + trunc(span x
// offset / travel) (maximum - ... when vertical), clamped to the range. With
// no travel at all (a thumb as long as the control) the value stays `current`.
int DragValue(SliderRange range, int current, int pointer, int length, int thumb, int margin, bool vertical);

// Whether a control of this client size is drawn and dragged vertically.
inline bool IsVertical(int width, int height) { return width <= height; }

}  // namespace skin
