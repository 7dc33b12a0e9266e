#pragma once
// A track bar drawn from skin bitmaps (channel, and a thumb for normal,
// focused and dragged states) and dragged by its own arithmetic. The track
// bar keeps its range and position and its keyboard handling; the skin
// replaces its painting and its mouse handling.
#include <windows.h>

#include <array>
#include <memory>
#include <span>

#include "os/win32/handles.h"
#include "os/window_seam.h"
#include "skin/skin_format.h"
#include "skin/slider_math.h"
#include "skin/win32/bmp2rgn.h"

namespace skin {

class CSkinSlider {
 public:
  explicit CSkinSlider(os::UserMessages& messages);
  ~CSkinSlider();
  CSkinSlider(const CSkinSlider&) = delete;
  CSkinSlider& operator=(const CSkinSlider&) = delete;

  void Attach(HWND slider) { hwnd_ = slider; }
  HWND hwnd() const { return hwnd_; }

  // Places the slider and loads slots 0 to 3 (thumb, thumb with focus, thumb
  // while dragged, channel) whose index is not -1. Returns 0, or 1 (slot 0),
  // 2 (its region), 3 (slot 1), 5 (slot 2), 7 (slot 3) for the first failure.
  // Sets line size 1 and page size 10.
  int SetSkin(int x, int y, int width, int height, const int32_t bitmaps[kBitmapSlots], uint32_t transparent,
              ByteSource* file, std::span<const BitmapExtent> table);
  void RemoveSkin();

  // Pixels kept free at both ends of the channel (0 unless set).
  void SetMargin(int margin) { margin_ = margin; }
  bool skinned() const { return subclassed_; }
  bool dragging() const { return dragging_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                               DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc, const RECT& client);
  const CBmp2Rgn& Thumb() const;
  SliderRange Range() const;
  int Position() const;
  // Sets the value the pointer gives; true when it changed.
  bool Follow(LPARAM pointer);
  void Notify(int code, int position) const;
  void EndDrag(LPARAM pointer);
  void Unsubclass();

  HWND hwnd_ = nullptr;
  std::array<std::unique_ptr<CBmp2Rgn>, 4> faces_;
  win32::GdiObject<HRGN> thumb_region_;  // thumb outline at (0, 0), when cut
  int margin_ = 0;
  bool dragging_ = false;
  bool changed_in_drag_ = false;
  bool subclassed_ = false;
};

}  // namespace skin
