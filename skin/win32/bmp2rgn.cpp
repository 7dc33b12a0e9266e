#include "skin/win32/bmp2rgn.h"

#include <algorithm>
#include <cstring>

#include "os/win32/monitors.h"
#include "skin/bmp_reader.h"
#include "skin/pixel_scale.h"
#include "skin/region_runs.h"
#include "skin/skin_messages.h"

namespace skin {
namespace {

// BITMAPINFO with room for the colour table the file gave (at most 256
// entries, or three bit-field masks).
struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

void FillInfo(const DibImage& image, DibInfo* info) {
  std::memset(info, 0, sizeof *info);
  BITMAPINFOHEADER& h = info->header;
  h.biSize = sizeof h;
  h.biWidth = image.info.width;
  h.biHeight = image.info.height;
  h.biPlanes = 1;
  h.biBitCount = image.info.bit_count;
  h.biCompression = image.info.compression;
  // The system reads exactly the entries we hold: a palette of the stated
  // length, never one the file only claims (nor the optional table that a
  // 24-bit file may announce).
  h.biClrUsed = image.info.bit_count <= 8 ? static_cast<DWORD>(image.colour_table.size()) : 0;
  std::memcpy(info->colours, image.colour_table.data(), 4 * image.colour_table.size());
}

}  // namespace

void CBmp2Rgn::Show(const settings::TextId& text, std::vector<os::MessageArg> args) const {
  messages_->ShowMessage(text.section, text.key, text.default_text, args);
}

void CBmp2Rgn::SetSource(ByteSource* file, std::span<const BitmapExtent> bitmaps) {
  file_ = file;
  extents_ = bitmaps;
}

void CBmp2Rgn::Free() {
  bitmap_.Reset();
  width_ = height_ = 0;
}

bool CBmp2Rgn::LoadBmp(int index) {
  Free();
  if (!file_) {
    Show(text::kBmpNoFile, {index});
    return false;
  }
  if (index < 0 || static_cast<size_t>(index) >= extents_.size()) {
    Show(text::kBmpInvalidId, {index});
    return false;
  }
  const BitmapExtent& extent = extents_[static_cast<size_t>(index)];
  SubSource source(*file_, extent.offset, extent.size);
  DibImage image;
  BmpStatus status = ReadBmp(source, &image);
  if (status != BmpStatus::kOk) {
    bool with_id = status == BmpStatus::kFileHeaderShort || status == BmpStatus::kNotBm;
    Show(*text::MessageOf(status), with_id ? std::vector<os::MessageArg>{index} : std::vector<os::MessageArg>{});
    return false;
  }

  win32::WindowDc screen(nullptr);
  if (!screen.get()) {
    Show(text::kBmpNoDc);
    return false;
  }
  DibInfo info;
  FillInfo(image, &info);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                     nullptr, 0);
  if (!section) {
    Show(text::kBmpCreateDib);
    return false;
  }
  bitmap_.Reset(section);
  if (!bits) {
    Free();
    Show(text::kBmpSetInfo);
    return false;
  }
  // The section holds stride x height bytes; the file may hold fewer.
  size_t area = static_cast<size_t>(PixelAreaBytes(image.info));
  if (!image.bits.empty()) std::memcpy(bits, image.bits.data(), image.bits.size());
  std::memset(static_cast<uint8_t*>(bits) + image.bits.size(), 0, area - image.bits.size());
  GdiFlush();
  width_ = image.info.width;
  height_ = std::abs(image.info.height);
  ScaleToDisplay();
  return true;
}

bool CBmp2Rgn::LoadResourceBitmap(HINSTANCE instance, int resource_id) {
  Free();
  auto* handle = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(resource_id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!handle) {
    Show(text::kBmpInvalidId, {resource_id});
    return false;
  }
  bitmap_.Reset(handle);
  BITMAP description{};
  GetObjectW(handle, sizeof description, &description);
  width_ = description.bmWidth;
  height_ = std::abs(description.bmHeight);
  ScaleToDisplay();
  return true;
}

void CBmp2Rgn::ScaleToDisplay() {
  const int percent = win32::DisplayScalePercent();
  if (percent == 100 || width_ <= 0 || height_ <= 0) return;
  const std::vector<uint8_t> bytes = Pixels32();
  if (bytes.empty()) return;
  std::vector<uint32_t> pixels(bytes.size() / 4);
  std::memcpy(pixels.data(), bytes.data(), bytes.size());
  int width = 0, height = 0;
  const std::vector<uint32_t> scaled = ScalePixels(pixels, width_, height_, percent, &width, &height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as Pixels32 gave them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  win32::WindowDc screen(nullptr);
  void* bits = nullptr;
  HBITMAP section = screen.get() ? CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!section || !bits || scaled.empty()) {
    if (section) DeleteObject(section);
    return;  // the bitmap stays at its own size
  }
  std::memcpy(bits, scaled.data(), scaled.size() * 4);
  GdiFlush();
  bitmap_.Reset(section);
  width_ = width;
  height_ = height;
}

std::vector<uint8_t> CBmp2Rgn::Pixels32() const {
  std::vector<uint8_t> pixels(size_t{4} * static_cast<size_t>(width_) * static_cast<size_t>(height_));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = height_;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  win32::WindowDc screen(nullptr);
  if (!screen.get() ||
      GetDIBits(screen.get(), bitmap_.get(), 0, static_cast<UINT>(height_), pixels.data(), &info, DIB_RGB_COLORS) !=
          height_)
    pixels.clear();
  return pixels;
}

HRGN CBmp2Rgn::MakeRegion() const {
  if (!loaded() || width_ <= 0 || height_ <= 0) return nullptr;
  std::vector<uint8_t> pixels = Pixels32();
  if (pixels.empty()) return nullptr;
  const ptrdiff_t stride = 4 * static_cast<ptrdiff_t>(width_);
  const uint8_t* top_row = pixels.data() + stride * (height_ - 1);
  std::vector<RunRect> runs = FindOpaqueRuns(top_row, -stride, width_, height_, TransparentTest(transparent_));

  win32::GdiObject<HRGN> result(CreateRectRgn(0, 0, 0, 0));
  if (!result.get()) return nullptr;
  std::vector<uint8_t> data;
  for (size_t first = 0; first < runs.size(); first += kRegionBatch) {
    size_t count = std::min(kRegionBatch, runs.size() - first);
    data.assign(sizeof(RGNDATAHEADER) + count * sizeof(RECT), 0);
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(count);
    RECT bound = {runs[first].left, runs[first].top, runs[first].right, runs[first].bottom};
    for (size_t i = 0; i < count; ++i) {
      const RunRect& r = runs[first + i];
      rects[i] = {r.left, r.top, r.right, r.bottom};
      bound.left = std::min<LONG>(bound.left, r.left);
      bound.top = std::min<LONG>(bound.top, r.top);
      bound.right = std::max<LONG>(bound.right, r.right);
      bound.bottom = std::max<LONG>(bound.bottom, r.bottom);
    }
    header->rcBound = bound;
    win32::GdiObject<HRGN> batch(
        ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data())));
    if (!batch.get() || CombineRgn(result.get(), result.get(), batch.get(), RGN_OR) == ERROR) return nullptr;
  }
  return result.Release();
}

void CBmp2Rgn::Draw(HDC dc, int x, int y) const {
  if (!loaded()) return;
  win32::MemoryDc memory(dc);
  win32::SelectedObject selected(memory.get(), bitmap_.get());
  BitBlt(dc, x, y, width_, height_, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace skin
