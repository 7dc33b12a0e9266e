#pragma once
// The skin file: a window's size, each control's rectangle, the bitmaps of
// each control state and the transparent colour that outlines are cut from.
// All integers are 32-bit little-endian:
//
//   0   mark 0x213          16  A: size of block 1
//   4   M: bitmap count      20  S: size of the name block
//   8   N: item count        24  block 1 (A bytes, not read)
//   12  (not read)               block 2 (4N bytes, not read)
//                                name block: N zero-terminated names
//                                N item records of 60 bytes
//                                M bitmap sizes (4 bytes each)
//                                M complete BMP files, back to back
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace skin {

inline constexpr uint32_t kSkinMark = 0x213;
inline constexpr size_t kHeaderSize = 24;
inline constexpr size_t kRecordSize = 60;
inline constexpr int kBitmapSlots = 5;

// Record field offsets.
inline constexpr size_t kRecordBitmapsAt = 36;
inline constexpr size_t kRecordTransparentAt = 56;

// Transparent colour 0x00BBGGRR; this value means "cut no region".
inline constexpr uint32_t kNoRegion = 0xFFFFFFFF;
// An item's colour before a file gave it one.
inline constexpr uint32_t kUnsetColour = 0xFFFFFF;
// A bitmap index that names no bitmap.
inline constexpr int32_t kNoBitmap = -1;

// The number stored with each item.
enum class ItemKind : int { kForm = 0, kButton = 1, kSlider = 2, kCheckBox = 3, kPlain = 5 };

// Bitmap slots by kind. Buttons and check boxes: normal, pointer over,
// pressed (button) or checked (check box), disabled, outline mask. Sliders:
// thumb, thumb with focus, thumb while dragged, channel. Forms: background.
enum Slot : int {
  kSlotNormal = 0,
  kSlotOver = 1,
  kSlotPressed = 2,
  kSlotChecked = 2,
  kSlotDisabled = 3,
  kSlotMask = 4,
  kSlotThumb = 0,
  kSlotThumbFocus = 1,
  kSlotThumbDrag = 2,
  kSlotChannel = 3,
  kSlotBackground = 0,
};

// One 60-byte item record.
struct ItemRecord {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitmaps[kBitmapSlots] = {kNoBitmap, kNoBitmap, kNoBitmap, kNoBitmap, kNoBitmap};
  uint32_t transparent = kNoRegion;
};

// Where one bitmap lies in the file.
struct BitmapExtent {
  uint64_t offset = 0;
  uint32_t size = 0;
};

// What a skin file holds, as the reader found it.
struct SkinFileContents {
  std::vector<std::string> names;
  std::vector<ItemRecord> records;
  std::vector<BitmapExtent> bitmaps;
};


}  // namespace skin
