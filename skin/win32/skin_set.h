#pragma once
// The skin of one window: the controls it declares, in order, and what its
// skin file says about each. The window calls, during its initialisation,
// InitItems, AddItem per control, LoadSkinFile and DoSkins; then
// PaintBackground in its paint handler. Every failure is shown as a message
// and leaves the window in its template layout, or partly skinned.
#include <windows.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "os/window_seam.h"
#include "skin/skin_item.h"
#include "skin/win32/bmp2rgn.h"
#include "skin/win32/skin_button.h"
#include "skin/win32/skin_slider.h"
#include "skin/win32/win32_file_source.h"
#include "skin/window_items.h"

namespace skin {

class SkinSet {
 public:
  // Messages go through the settings file's message boxes unless a test
  // gives its own recorder.
  SkinSet();
  explicit SkinSet(os::UserMessages& messages);
  ~SkinSet();
  SkinSet(const SkinSet&) = delete;
  SkinSet& operator=(const SkinSet&) = delete;

  // `capacity` empty items (colour 0xFFFFFF, not applied).
  void InitItems(int capacity);
  // Registers a control; an item of the same name takes the new ID and
  // kind. False when there is no free slot.
  bool AddItem(const std::string& name, int control_id, ItemKind kind);
  // InitItems and AddItem for each item of a window's table.
  void Register(std::span<const WindowItem> items);
  // Reads the skin file and keeps it open for DoSkins. False (with a
  // message only when the file cannot be opened) when it is not usable.
  bool LoadSkinFile(const std::string& path);
  // Sizes the window, cuts its outline, places and skins its controls, and
  // closes the skin file.
  void DoSkins(HWND window);
  // Draws the background at (0, 0) when the form is skinned; false when the
  // window should paint itself.
  bool PaintBackground(HDC dc) const;
  // Takes the skin off every control and the window, and empties the set.
  void Reset();

  int capacity() const { return static_cast<int>(items_.size()); }
  int count() const { return count_; }
  const SkinItem& item(int index) const { return items_[static_cast<size_t>(index)]; }
  bool loaded() const { return loaded_; }
  bool applied() const { return applied_; }
  // The skinned control objects, by control ID (nullptr when none).
  CSkinButton* Button(int control_id) const;
  CSkinSlider* Slider(int control_id) const;

 private:
  void Show(const settings::TextId& text, std::vector<os::MessageArg> args = {}) const;
  void SkinForm();
  void SkinControl(size_t index);
  void CloseFile();

  os::UserMessages& messages_;
  HWND owner_ = nullptr;
  std::vector<SkinItem> items_;
  int count_ = 0;
  CBmp2Rgn background_;
  bool window_region_set_ = false;
  Win32FileSource file_;
  uint32_t file_item_count_ = 0;
  std::vector<BitmapExtent> bitmaps_;
  bool loaded_ = false;
  bool applied_ = false;
  std::vector<std::unique_ptr<CSkinButton>> buttons_;
  std::vector<std::unique_ptr<CSkinSlider>> sliders_;
};

}  // namespace skin
