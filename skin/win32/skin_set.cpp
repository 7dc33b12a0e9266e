#include "skin/win32/skin_set.h"

#include "os/win32/monitors.h"
#include "settings/win32/ini_handler.h"
#include "skin/pixel_scale.h"
#include "skin/skin_file_reader.h"
#include "skin/skin_messages.h"

namespace skin {

SkinSet::SkinSet() : SkinSet(settings::IniHandler::Instance()) {}

SkinSet::SkinSet(os::UserMessages& messages) : messages_(messages), background_(messages) {}

SkinSet::~SkinSet() = default;

void SkinSet::Show(const settings::TextId& text, std::vector<os::MessageArg> args) const {
  messages_.ShowMessage(text.section, text.key, text.default_text, args);
}

void SkinSet::InitItems(int capacity) {
  items_.assign(static_cast<size_t>(capacity > 0 ? capacity : 0), SkinItem{});
  count_ = 0;
}

bool SkinSet::AddItem(const std::string& name, int control_id, ItemKind kind) {
  for (int i = 0; i < count_; ++i) {
    SkinItem& item = items_[static_cast<size_t>(i)];
    if (item.name == name) {
      item.control_id = control_id;
      item.kind = kind;
      return true;
    }
  }
  if (count_ >= capacity()) return false;
  SkinItem& item = items_[static_cast<size_t>(count_++)];
  item.name = name;
  item.control_id = control_id;
  item.kind = kind;
  return true;
}

void SkinSet::Register(std::span<const WindowItem> items) {
  InitItems(static_cast<int>(items.size()));
  for (const WindowItem& item : items) AddItem(item.name, item.control_id, item.kind);
}

bool SkinSet::LoadSkinFile(const std::string& path) {
  CloseFile();
  loaded_ = false;
  if (!file_.Open(path)) {
    Show(text::kFileOpenFailed, {path});
    return false;
  }
  SkinFileContents contents;
  if (ReadSkinFile(file_, static_cast<uint32_t>(capacity()), &contents) != SkinReadStatus::kOk) {
    CloseFile();
    return false;
  }
  // Items meet their records by position only; ID and kind stay as registered.
  // The layout grows with the display's DPI, as its bitmaps do.
  const int percent = win32::DisplayScalePercent();
  for (size_t i = 0; i < items_.size(); ++i) {
    SkinItem& item = items_[i];
    const ItemRecord& r = contents.records[i];
    item.name = contents.names[i];
    item.x = ScaledLength(r.x, percent);
    item.y = ScaledLength(r.y, percent);
    item.width = ScaledLength(r.width, percent);
    item.height = ScaledLength(r.height, percent);
    for (int s = 0; s < kBitmapSlots; ++s) item.bitmaps[s] = r.bitmaps[s];
    item.transparent = r.transparent;
  }
  file_item_count_ = static_cast<uint32_t>(contents.records.size());
  bitmaps_ = std::move(contents.bitmaps);
  loaded_ = true;
  return true;
}

void SkinSet::DoSkins(HWND window) {
  owner_ = window;
  if (!loaded_) {
    Show(text::kNotLoaded);
    return;
  }
  if (capacity() != count_ || static_cast<uint32_t>(capacity()) != file_item_count_) {
    Show(text::kNotMatch, {capacity(), count_, static_cast<long long>(file_item_count_)});
    CloseFile();  // nothing more will be read from it
    return;
  }
  SkinForm();
  for (size_t i = 1; i < items_.size(); ++i) SkinControl(i);
  applied_ = true;
  CloseFile();
}

void SkinSet::SkinForm() {
  SkinItem& form = items_[0];
  SetWindowPos(owner_, nullptr, 0, 0, form.width, form.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  if (form.bitmaps[kSlotBackground] == kNoBitmap) return;
  background_.SetSource(&file_, bitmaps_);
  if (!background_.LoadBmp(form.bitmaps[kSlotBackground])) return;
  background_.SetTransparentColour(form.transparent);
  if (form.transparent == kNoRegion) {
    form.applied = true;
    return;
  }
  HRGN region = background_.MakeRegion();
  if (region && SetWindowRgn(owner_, region, TRUE)) {
    window_region_set_ = true;
    form.applied = true;
  } else if (region) {
    DeleteObject(region);
  }
}

void SkinSet::SkinControl(size_t index) {
  SkinItem& item = items_[index];
  HWND control = GetDlgItem(owner_, item.control_id);
  if (!control) return;
  MoveWindow(control, item.x, item.y, item.width, item.height, TRUE);
  int result = -1;
  if (item.kind == ItemKind::kButton || item.kind == ItemKind::kCheckBox) {
    auto button = std::make_unique<CSkinButton>(messages_);
    button->Attach(control);
    result = button->SetSkin(item.x, item.y, item.width, item.height, item.kind, item.bitmaps, item.transparent,
                             &file_, bitmaps_);
    buttons_.push_back(std::move(button));
  } else if (item.kind == ItemKind::kSlider) {
    auto slider = std::make_unique<CSkinSlider>(messages_);
    slider->Attach(control);
    result = slider->SetSkin(item.x, item.y, item.width, item.height, item.bitmaps, item.transparent, &file_,
                             bitmaps_);
    sliders_.push_back(std::move(slider));
  }
  item.applied = result == 0;
}

bool SkinSet::PaintBackground(HDC dc) const {
  if (!applied_ || items_.empty() || !items_[0].applied) return false;
  background_.Draw(dc);
  return true;
}

void SkinSet::Reset() {
  for (auto& button : buttons_) button->RemoveSkin();
  for (auto& slider : sliders_) slider->RemoveSkin();
  buttons_.clear();
  sliders_.clear();
  if (window_region_set_ && owner_ && IsWindow(owner_)) SetWindowRgn(owner_, nullptr, TRUE);
  window_region_set_ = false;
  background_.Free();
  CloseFile();
  bitmaps_.clear();
  items_.clear();
  count_ = 0;
  file_item_count_ = 0;
  loaded_ = applied_ = false;
}

CSkinButton* SkinSet::Button(int control_id) const {
  for (const auto& button : buttons_)
    if (button->hwnd() && GetDlgCtrlID(button->hwnd()) == control_id) return button.get();
  return nullptr;
}

CSkinSlider* SkinSet::Slider(int control_id) const {
  for (const auto& slider : sliders_)
    if (slider->hwnd() && GetDlgCtrlID(slider->hwnd()) == control_id) return slider.get();
  return nullptr;
}

void SkinSet::CloseFile() { file_.Close(); }

}  // namespace skin
