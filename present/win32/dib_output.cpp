// Pictures drawn through GDI: the DIB fallback (24-bit, DrawDib when
// DrawDibOpen gives a handle, else StretchDIBits) and the GDI mode (32-bit,
// straight onto the window's DC).
#include <windows.h>
#include <vfw.h>

#include "os/win32/handles.h"
#include "present/win32/win32_display.h"

namespace present {

namespace {

class DrawDibOutput : public DibOutput {
 public:
  explicit DrawDibOutput(HWND window) : window_(window), draw_dib_(DrawDibOpen()) {}
  ~DrawDibOutput() override {
    if (draw_dib_) DrawDibClose(draw_dib_);
  }
  DrawDibOutput(const DrawDibOutput&) = delete;
  DrawDibOutput& operator=(const DrawDibOutput&) = delete;

  void Draw(const uint8_t* bits, int width, int height, int destWidth, int destHeight) override {
    BITMAPINFO info = {};
    BITMAPINFOHEADER& h = info.bmiHeader;
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;  // positive: bottom-up
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    win32::WindowDc dc(window_);
    if (!dc.get()) return;
    void* pixels = const_cast<uint8_t*>(bits);
    if (draw_dib_ && DrawDibDraw(draw_dib_, dc.get(), 0, 0, destWidth, destHeight, &h, pixels, 0, 0, width, height, 0))
      return;
    StretchDIBits(dc.get(), 0, 0, destWidth, destHeight, 0, 0, width, height, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  }

 private:
  HWND window_;
  HDRAWDIB draw_dib_;
};

// A 32-bit desktop holds pixels like these, so GDI copies them without
// converting each; at the picture's own size it does not even stretch.
class GdiOutput : public DibOutput {
 public:
  explicit GdiOutput(HWND window) : window_(window) {}

  void Draw(const uint8_t* bits, int width, int height, int destWidth, int destHeight) override {
    BITMAPINFO info = {};
    BITMAPINFOHEADER& h = info.bmiHeader;
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = -height;  // negative: top-down
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    win32::WindowDc dc(window_);
    if (!dc.get()) return;
    if (destWidth == width && destHeight == height)
      SetDIBitsToDevice(dc.get(), 0, 0, width, height, 0, 0, 0, height, bits, &info, DIB_RGB_COLORS);
    else
      Stretch(dc.get(), bits, info, width, height, destWidth, destHeight);
  }

 private:
  static void Stretch(HDC dc, const uint8_t* bits, const BITMAPINFO& info, int width, int height, int destWidth,
                      int destHeight) {
    // The DC's default mode ANDs the rows it drops when shrinking, which
    // darkens the picture; dropping them whole does not.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, destWidth, destHeight, 0, 0, width, height, bits, &info, DIB_RGB_COLORS, SRCCOPY);
  }

  HWND window_;
};

}  // namespace

std::unique_ptr<DibOutput> Win32DisplaySystem::OpenDib(os::WindowHandle window, DibPixels pixels) {
  const HWND hwnd = reinterpret_cast<HWND>(window);
  if (pixels == DibPixels::kTopDown32) return std::make_unique<GdiOutput>(hwnd);
  return std::make_unique<DrawDibOutput>(hwnd);
}

}  // namespace present
