#pragma once
// A push button or check box drawn from skin bitmaps. The button is made
// owner-drawn and subclassed: its parent dialog reflects WM_DRAWITEM to it,
// it tracks the pointer for its hover face and, as a check box, keeps its own
// checked state (read and set with the standard BM_GETCHECK / BM_SETCHECK).
#include <windows.h>

#include <array>
#include <memory>
#include <span>

#include "os/window_seam.h"
#include "skin/button_face.h"
#include "skin/skin_format.h"
#include "skin/win32/bmp2rgn.h"

namespace skin {

class CSkinButton {
 public:
  explicit CSkinButton(os::UserMessages& messages);
  ~CSkinButton();
  CSkinButton(const CSkinButton&) = delete;
  CSkinButton& operator=(const CSkinButton&) = delete;

  // Takes over the button window; SetSkin then skins it.
  void Attach(HWND button) { hwnd_ = button; }
  HWND hwnd() const { return hwnd_; }

  // Skins the button from the skin file: places it at (x, y, width,
  // height), loads the bitmap of each slot whose index is not -1 in slot
  // order and stops at the first failure. Returns 0, or the failed slot's
  // code: 1, 2, 3, 64, 4 for slots 0 to 4, 5 when slot 4's region cannot be
  // cut. With slot 4 and a transparent colour other than 0xFFFFFFFF, the
  // region cut from slot 4 becomes the button's window region.
  int SetSkin(int x, int y, int width, int height, ItemKind kind, const int32_t bitmaps[kBitmapSlots],
              uint32_t transparent, ByteSource* file, std::span<const BitmapExtent> table);
  // The same from bitmap resources of the program (0: no bitmap in that slot).
  int SetSkin(int x, int y, int width, int height, ItemKind kind, HINSTANCE instance,
              const int resource_ids[kBitmapSlots], uint32_t transparent);
  // Gives the button back its own look and behaviour.
  void RemoveSkin();

  bool skinned() const { return subclassed_; }
  bool checked() const { return checked_; }
  bool over() const { return over_; }

 private:
  template <typename LoadSlot>
  int Apply(int x, int y, int width, int height, ItemKind kind, uint32_t transparent, LoadSlot load);
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                               DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool Draw(const DRAWITEMSTRUCT& item);
  void SetChecked(bool checked);
  void Redraw() const { InvalidateRect(hwnd_, nullptr, FALSE); }
  void Unsubclass();

  HWND hwnd_ = nullptr;
  std::array<std::unique_ptr<CBmp2Rgn>, kBitmapSlots> faces_;
  bool check_box_ = false;
  bool checked_ = false;
  bool over_ = false;
  bool tracking_ = false;
  bool subclassed_ = false;
  LONG_PTR original_style_ = 0;
};

}  // namespace skin
