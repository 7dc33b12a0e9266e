#pragma once
// The Recordings window's timeline: one row per camera played, with its
// recorded spans, the motion on them and the event log's events, over the
// chosen day; ticks and the time under the pointer above the rows; the
// playing position as a red line; the export's marks as a shaded range.
// The mouse wheel zooms (a day down to a minute) about the pointer; a click
// or drag seeks there, a drag that starts on a mark moves the mark. It tells
// its parent through WM_COMMAND (its id, kSeek or kMarksMoved). Window
// thread only.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/recordings/timeline_scale.h"
#include "record/recordings_index.h"

namespace app::recordings {

class TimelineControl {
 public:
  static constexpr WORD kSeek = 1;        // requested() is where
  static constexpr WORD kMarksMoved = 2;  // marks() are where
  static constexpr WORD kMenu = 3;        // a right click: menuRow() at menuTime(), shown at menuPoint()
  static constexpr int kRulerHeight = 18, kRowHeight = 22;

  struct Row {
    std::string camera;
    std::vector<record::TimeSpan> recorded, motion;
    std::vector<int64_t> events;
  };

  TimelineControl(HWND parent, int id);
  ~TimelineControl();
  TimelineControl(const TimelineControl&) = delete;
  TimelineControl& operator=(const TimelineControl&) = delete;

  HWND hwnd() const { return hwnd_; }
  void SetDay(int64_t begin, int64_t end);
  void SetRows(std::vector<Row> rows);
  void SetPosition(int64_t time);
  // 0 for a mark not set.
  void SetMarks(int64_t from, int64_t to);
  int64_t requested() const { return requested_; }
  int64_t markFrom() const { return mark_from_; }
  int64_t markTo() const { return mark_to_; }
  int menuRow() const { return menu_row_; }
  int64_t menuTime() const { return menu_time_; }
  POINT menuPoint() const { return menu_point_; }
  const TimelineScale& scale() const { return scale_; }
  // The wheel's steps at the client pixel x (a window that forwards its wheel).
  void Zoom(int steps, int x);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void DrawRuler(HDC dc, const RECT& r);
  void Notify(WORD code);
  void Press(int x);
  // The context menu's place: the row and time under the screen point (the
  // keyboard's menu key: the playing position of the first row).
  void ContextMenu(POINT screen);
  void Drag(int x);

  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;
  int id_ = 0;
  TimelineScale scale_;
  std::vector<Row> rows_;
  int64_t position_ = 0;
  int64_t requested_ = 0;
  int64_t mark_from_ = 0, mark_to_ = 0;
  enum class Dragging { kNone, kPosition, kFrom, kTo } dragging_ = Dragging::kNone;
  int hover_x_ = -1;
  int menu_row_ = -1;
  int64_t menu_time_ = 0;
  POINT menu_point_{};
};

}  // namespace app::recordings
