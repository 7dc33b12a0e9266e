#include "skin/win32/skin_slider.h"

#include <commctrl.h>
#include <windowsx.h>

namespace skin {
namespace {

constexpr UINT_PTR kSubclassId = 0x534B4E53;
constexpr int kSlotFailure[4] = {1, 3, 5, 7};
constexpr int kRegionFailure = 2;
constexpr int kLineSize = 1;
constexpr int kPageSize = 10;

}  // namespace

CSkinSlider::CSkinSlider(os::UserMessages& messages) {
  for (auto& face : faces_) face = std::make_unique<CBmp2Rgn>(messages);
}

CSkinSlider::~CSkinSlider() { Unsubclass(); }

int CSkinSlider::SetSkin(int x, int y, int width, int height, const int32_t bitmaps[kBitmapSlots],
                         uint32_t transparent, ByteSource* file, std::span<const BitmapExtent> table) {
  if (!hwnd_) return kSlotFailure[0];
  RemoveSkin();
  MoveWindow(hwnd_, x, y, width, height, TRUE);
  for (int slot = 0; slot < 4; ++slot) {
    CBmp2Rgn& face = *faces_[slot];
    face.SetTransparentColour(transparent);
    if (bitmaps[slot] == kNoBitmap) continue;
    face.SetSource(file, table);
    if (!face.LoadBmp(bitmaps[slot])) return kSlotFailure[slot];
    if (slot == kSlotThumb && transparent != kNoRegion) {
      thumb_region_.Reset(face.MakeRegion());
      if (!thumb_region_.get()) return kRegionFailure;
    }
  }
  SendMessageW(hwnd_, TBM_SETLINESIZE, 0, kLineSize);
  SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, kPageSize);
  subclassed_ = SetWindowSubclass(hwnd_, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  InvalidateRect(hwnd_, nullptr, TRUE);
  return 0;
}

void CSkinSlider::RemoveSkin() {
  if (dragging_) ReleaseCapture();
  dragging_ = false;
  Unsubclass();
  for (auto& face : faces_) face->Free();
  thumb_region_.Reset();
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void CSkinSlider::Unsubclass() {
  if (subclassed_ && hwnd_) RemoveWindowSubclass(hwnd_, Proc, kSubclassId);
  subclassed_ = false;
}

LRESULT CALLBACK CSkinSlider::Proc(HWND, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<CSkinSlider*>(self)->Handle(message, wparam, lparam);
}

LRESULT CSkinSlider::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      Paint(dc, client);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(hwnd_, &client);
      Paint(reinterpret_cast<HDC>(wparam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!faces_[kSlotThumb]->loaded()) break;
      dragging_ = true;
      changed_in_drag_ = false;
      SetCapture(hwnd_);
      SetFocus(hwnd_);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (!dragging_) break;
      if (Follow(lparam)) Notify(TB_THUMBTRACK, Position());
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
      if (!dragging_) break;
      EndDrag(lparam);
      return 0;
    case WM_CAPTURECHANGED:
      // With a thumb the mouse is ours, not the track bar's: it would answer
      // the end of any capture with an end-track notification of its own.
      // Capture taken away mid-drag (another window, a message box) ends the
      // drag where the thumb is.
      if (!faces_[kSlotThumb]->loaded()) break;
      if (dragging_ && reinterpret_cast<HWND>(lparam) != hwnd_) {
        dragging_ = false;
        if (changed_in_drag_) {
          Notify(TB_THUMBPOSITION, Position());
          Notify(TB_ENDTRACK, 0);
        }
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case TBM_SETPOS:
    case TBM_SETRANGE:
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX: {
      // The track bar invalidates only where its own thumb was and goes; the
      // skin's thumb has another size, so the whole control is drawn again
      // (else moves from code leave a trail of old thumbs).
      const LRESULT result = DefSubclassProc(hwnd_, message, wparam, lparam);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return result;
    }
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

void CSkinSlider::EndDrag(LPARAM pointer) {
  bool changed = Follow(pointer);
  dragging_ = false;  // before ReleaseCapture, whose WM_CAPTURECHANGED must not end the drag again
  ReleaseCapture();
  if (changed) Notify(TB_THUMBTRACK, Position());
  if (changed_in_drag_) {
    Notify(TB_THUMBPOSITION, Position());
    Notify(TB_ENDTRACK, 0);
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
}

SliderRange CSkinSlider::Range() const {
  return {static_cast<int>(SendMessageW(hwnd_, TBM_GETRANGEMIN, 0, 0)),
          static_cast<int>(SendMessageW(hwnd_, TBM_GETRANGEMAX, 0, 0))};
}

int CSkinSlider::Position() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETPOS, 0, 0)); }

bool CSkinSlider::Follow(LPARAM pointer) {
  RECT client;
  GetClientRect(hwnd_, &client);
  bool vertical = IsVertical(client.right, client.bottom);
  const CBmp2Rgn& thumb = *faces_[kSlotThumb];
  int along = vertical ? GET_Y_LPARAM(pointer) : GET_X_LPARAM(pointer);
  int length = vertical ? client.bottom : client.right;
  int thumb_length = vertical ? thumb.height() : thumb.width();
  int current = Position();
  int value = DragValue(Range(), current, along, length, thumb_length, margin_, vertical);
  if (value == current) return false;
  SendMessageW(hwnd_, TBM_SETPOS, TRUE, value);
  changed_in_drag_ = true;
  return true;
}

void CSkinSlider::Notify(int code, int position) const {
  PostMessageW(GetParent(hwnd_), WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(hwnd_));
}

const CBmp2Rgn& CSkinSlider::Thumb() const {
  const CBmp2Rgn* thumb = faces_[kSlotThumb].get();
  if (dragging_ && faces_[kSlotThumbDrag]->loaded()) thumb = faces_[kSlotThumbDrag].get();
  else if (!dragging_ && GetFocus() == hwnd_ && faces_[kSlotThumbFocus]->loaded()) thumb = faces_[kSlotThumbFocus].get();
  return *thumb;
}

void CSkinSlider::Paint(HDC dc, const RECT& client) {
  // Drawn off screen and copied once, so the thumb never flickers.
  win32::MemoryDc memory(dc);
  win32::GdiObject<HBITMAP> canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (!memory.get() || !canvas.get()) return;
  win32::SelectedObject selected(memory.get(), canvas.get());

  const CBmp2Rgn& channel = *faces_[kSlotChannel];
  if (channel.loaded())
    channel.Draw(memory.get());
  else
    FillRect(memory.get(), &client, GetSysColorBrush(COLOR_BTNFACE));

  const CBmp2Rgn& thumb = Thumb();
  if (thumb.loaded()) {
    bool vertical = IsVertical(client.right, client.bottom);
    int length = vertical ? (channel.loaded() ? channel.height() : client.bottom)
                          : (channel.loaded() ? channel.width() : client.right);
    int across = vertical ? (channel.loaded() ? channel.width() : client.right)
                          : (channel.loaded() ? channel.height() : client.bottom);
    int along = ThumbOffset(Range(), Position(), length, vertical ? thumb.height() : thumb.width(), margin_, vertical);
    int centred = (across - (vertical ? thumb.width() : thumb.height())) / 2;
    int x = vertical ? centred : along;
    int y = vertical ? along : centred;
    if (thumb_region_.get()) {
      // Only the thumb's outline is copied: its transparent pixels show the channel.
      win32::GdiObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
      CombineRgn(clip.get(), thumb_region_.get(), nullptr, RGN_COPY);
      OffsetRgn(clip.get(), x, y);
      SelectClipRgn(memory.get(), clip.get());
      thumb.Draw(memory.get(), x, y);
      SelectClipRgn(memory.get(), nullptr);
    } else {
      thumb.Draw(memory.get(), x, y);
    }
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace skin
