#include "skin/win32/skin_button.h"

#include <commctrl.h>
#include <windowsx.h>

#include "os/win32/dialog.h"

namespace skin {
namespace {

constexpr UINT_PTR kSubclassId = 0x534B4E42;  // one subclass per button
constexpr int kSlotFailure[kBitmapSlots] = {1, 2, 3, 64, 4};
constexpr int kRegionFailure = 5;

}  // namespace

CSkinButton::CSkinButton(os::UserMessages& messages) {
  for (auto& face : faces_) face = std::make_unique<CBmp2Rgn>(messages);
}

CSkinButton::~CSkinButton() { Unsubclass(); }

int CSkinButton::SetSkin(int x, int y, int width, int height, ItemKind kind, const int32_t bitmaps[kBitmapSlots],
                         uint32_t transparent, ByteSource* file, std::span<const BitmapExtent> table) {
  return Apply(x, y, width, height, kind, transparent, [&](int slot, CBmp2Rgn& face) -> int {
    if (bitmaps[slot] == kNoBitmap) return 0;
    face.SetSource(file, table);
    return face.LoadBmp(bitmaps[slot]) ? 1 : -1;
  });
}

int CSkinButton::SetSkin(int x, int y, int width, int height, ItemKind kind, HINSTANCE instance,
                         const int resource_ids[kBitmapSlots], uint32_t transparent) {
  return Apply(x, y, width, height, kind, transparent, [&](int slot, CBmp2Rgn& face) -> int {
    if (resource_ids[slot] == 0) return 0;
    return face.LoadResourceBitmap(instance, resource_ids[slot]) ? 1 : -1;
  });
}

// `load(slot, face)` gives 0 for an empty slot, 1 when loaded, -1 on failure.
template <typename LoadSlot>
int CSkinButton::Apply(int x, int y, int width, int height, ItemKind kind, uint32_t transparent, LoadSlot load) {
  if (!hwnd_) return kSlotFailure[0];
  RemoveSkin();
  MoveWindow(hwnd_, x, y, width, height, TRUE);
  for (int slot = 0; slot < kBitmapSlots; ++slot) {
    faces_[slot]->Free();
    faces_[slot]->SetTransparentColour(transparent);
  }
  for (int slot = 0; slot < kBitmapSlots; ++slot) {
    if (load(slot, *faces_[slot]) < 0) return kSlotFailure[slot];
  }
  if (faces_[kSlotMask]->loaded() && transparent != kNoRegion) {
    HRGN region = faces_[kSlotMask]->MakeRegion();
    if (!region) return kRegionFailure;
    SetWindowRgn(hwnd_, region, TRUE);  // the window owns the region from here on
  }

  check_box_ = kind == ItemKind::kCheckBox;
  checked_ = false;
  over_ = tracking_ = false;
  original_style_ = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, (original_style_ & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW |
                                          WS_CLIPCHILDREN);
  subclassed_ = SetWindowSubclass(hwnd_, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  InvalidateRect(hwnd_, nullptr, TRUE);
  return 0;
}

void CSkinButton::RemoveSkin() {
  if (!subclassed_) return;
  Unsubclass();
  SetWindowLongPtrW(hwnd_, GWL_STYLE, original_style_);
  SetWindowRgn(hwnd_, nullptr, TRUE);
  if (check_box_) SendMessageW(hwnd_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
  for (auto& face : faces_) face->Free();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void CSkinButton::Unsubclass() {
  if (subclassed_ && hwnd_) RemoveWindowSubclass(hwnd_, Proc, kSubclassId);
  subclassed_ = false;
}

LRESULT CALLBACK CSkinButton::Proc(HWND, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<CSkinButton*>(self)->Handle(message, wparam, lparam);
}

LRESULT CSkinButton::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case win32::kWmReflectedDrawItem:
      return Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)) ? TRUE : FALSE;
    case WM_ERASEBKGND:
      return TRUE;  // the face covers the button
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, hwnd_, 1};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSEHOVER:
      over_ = true;
      Redraw();
      break;
    case WM_MOUSELEAVE:
      over_ = false;
      tracking_ = false;
      Redraw();
      break;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button takes the second click of a double click as a
      // notification only, without a press; treat it as the click it is.
      return Handle(WM_LBUTTONDOWN, wparam, lparam);
    case WM_LBUTTONDOWN:
      if (check_box_) SetChecked(!checked_);
      break;
    case WM_LBUTTONUP:
      if (check_box_) {
        RECT client;
        GetClientRect(hwnd_, &client);
        POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        // Released outside: the press does not count.
        if (!PtInRect(&client, at)) SetChecked(!checked_);
      }
      break;
    case WM_KEYUP:
      // The space bar clicks a focused button when it comes up while the
      // button is held: a click that must change the check box like a
      // mouse click does, or its owner would read a stale state.
      if (check_box_ && wparam == VK_SPACE && (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED))
        SetChecked(!checked_);
      break;
    case BM_GETCHECK:
      if (check_box_) return checked_ ? BST_CHECKED : BST_UNCHECKED;
      break;
    case BM_SETCHECK:
      if (check_box_) {
        SetChecked(wparam == BST_CHECKED);
        return 0;
      }
      break;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      Unsubclass();
      hwnd_ = nullptr;
      return DefSubclassProc(hwnd, message, wparam, lparam);
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd_, message, wparam, lparam);
}

void CSkinButton::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Redraw();
}

bool CSkinButton::Draw(const DRAWITEMSTRUCT& item) {
  ButtonState state;
  state.check_box = check_box_;
  state.enabled = (item.itemState & ODS_DISABLED) == 0;
  state.pressed = (item.itemState & ODS_SELECTED) != 0;
  state.over = over_;
  state.checked = checked_;
  bool have[4];
  for (int slot = 0; slot < 4; ++slot) have[slot] = faces_[slot]->loaded();
  int slot = FaceSlot(state, have);
  if (slot >= 0) faces_[slot]->Draw(item.hDC);
  // The keyboard's place, unless the user works with the mouse only (Windows
  // then asks for no focus rectangle).
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(item.hDC, &focus);
  }
  return true;
}

}  // namespace skin
