#pragma once
// One bitmap of a skin, held as a DIB section, and the outline region cut
// from it by its transparent colour.
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "os/win32/handles.h"
#include "os/window_seam.h"
#include "settings/text_table.h"
#include "skin/byte_source.h"
#include "skin/skin_format.h"

namespace skin {

class CBmp2Rgn {
 public:
  explicit CBmp2Rgn(os::UserMessages& messages) : messages_(&messages) {}
  CBmp2Rgn(const CBmp2Rgn&) = delete;
  CBmp2Rgn& operator=(const CBmp2Rgn&) = delete;

  // The open skin file and its bitmap table; both must outlive LoadBmp calls.
  void SetSource(ByteSource* file, std::span<const BitmapExtent> bitmaps);
  // Loads bitmap `index` of the source into a DIB section. Every failure is
  // shown as a message with an OK button and returns false.
  bool LoadBmp(int index);
  // Loads a bitmap resource of the program instead (the resource form of the
  // skinned button).
  bool LoadResourceBitmap(HINSTANCE instance, int resource_id);
  void SetTransparentColour(uint32_t colour) { transparent_ = colour; }
  uint32_t transparent_colour() const { return transparent_; }

  // The outline: every pixel not within the transparent colour's tolerance,
  // as a region in the bitmap's coordinates (empty when all is transparent).
  // Null when there is no bitmap or a region cannot be made.
  HRGN MakeRegion() const;
  // Copies the bitmap to (x, y) of `dc` in its full size.
  void Draw(HDC dc, int x = 0, int y = 0) const;
  void Free();

  bool loaded() const { return bitmap_.get() != nullptr; }
  HBITMAP bitmap() const { return bitmap_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  void Show(const settings::TextId& text, std::vector<os::MessageArg> args = {}) const;
  // Above 96 DPI a loaded bitmap grows to the display's scale by whole pixels.
  void ScaleToDisplay();
  // 32-bit copy of the bitmap, bottom-up rows; empty on failure.
  std::vector<uint8_t> Pixels32() const;

  os::UserMessages* messages_;
  ByteSource* file_ = nullptr;
  std::span<const BitmapExtent> extents_;
  uint32_t transparent_ = kUnsetColour;
  win32::GdiObject<HBITMAP> bitmap_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace skin
