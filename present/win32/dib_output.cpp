// The DIB path: DrawDib when DrawDibOpen gives a handle, else StretchDIBits.
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

}  // namespace

std::unique_ptr<DibOutput> Win32DisplaySystem::OpenDib(os::WindowHandle window) {
  return std::make_unique<DrawDibOutput>(reinterpret_cast<HWND>(window));
}

}  // namespace present
