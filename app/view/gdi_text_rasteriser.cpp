#include "app/view/gdi_text_rasteriser.h"

#include <algorithm>

#include "os/win32/text.h"

namespace app::view {
namespace {

constexpr size_t kCacheLimit = 64;  // rate texts change every second; keep the set small

}  // namespace

GdiTextRasteriser::GdiTextRasteriser(HFONT base) {
  if (!base || GetObjectW(base, sizeof base_, &base_) == 0)
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof base_, &base_);
  base_.lfWeight = FW_BOLD;
}

HFONT GdiTextRasteriser::FontOf(int height) {
  auto it = fonts_.find(height);
  if (it != fonts_.end()) return it->second.get();
  LOGFONTW lf = base_;
  lf.lfHeight = -height;  // character height in pixels
  lf.lfWidth = 0;
  return fonts_.emplace(height, win32::GdiObject<HFONT>(CreateFontIndirectW(&lf))).first->second.get();
}

TextMask GdiTextRasteriser::Render(const std::string& text, int height) {
  const auto key = std::make_pair(text, height);
  if (auto it = cache_.find(key); it != cache_.end()) return it->second;
  TextMask mask;
  const std::wstring wide = win32::Widen(text);
  win32::WindowDc screen(nullptr);
  win32::MemoryDc dc(screen.get());
  win32::SelectedObject font(dc.get(), FontOf(height));
  SIZE size = {};
  GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  if (size.cx <= 0 || size.cy <= 0) return mask;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win32::GdiObject<HBITMAP> bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap.get() || !bits) return mask;
  {
    win32::SelectedObject selected(dc.get(), bitmap.get());
    std::fill_n(static_cast<uint32_t*>(bits), size_t(size.cx) * size_t(size.cy), 0u);
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(255, 255, 255));
    TextOutW(dc.get(), 0, 0, wide.c_str(), static_cast<int>(wide.size()));
    GdiFlush();
  }
  mask.width = size.cx;
  mask.height = size.cy;
  mask.coverage.resize(size_t(size.cx) * size_t(size.cy));
  const auto* px = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < mask.coverage.size(); ++i) {
    const uint32_t p = px[i];
    mask.coverage[i] = static_cast<uint8_t>(std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}));
  }
  if (cache_.size() >= kCacheLimit) cache_.clear();
  cache_[key] = mask;
  return mask;
}

}  // namespace app::view
