#include "dialogs/tests/shots.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialogs/tests/camera_rig.h"
#include "os/win32/handles.h"

namespace dialogs::testing {

bool ShotsWanted() { return std::getenv("HALYARD_SHOT_DIR") != nullptr; }

void Shot(HWND hwnd, const char* name) {
  const char* dir = std::getenv("HALYARD_SHOT_DIR");
  if (!dir || !hwnd) return;
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(400);
  RECT r;
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  win32::WindowDc screen(nullptr);
  win32::MemoryDc memory(screen.get());
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  win32::GdiObject<HBITMAP> bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    win32::SelectedObject selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
  }
  GdiFlush();
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(h);
  const std::string path = std::string(dir) + "/" + name + ".bmp";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(&file, sizeof file, 1, f);
  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
  std::fwrite(bits, 1, stride * static_cast<size_t>(h), f);
  std::fclose(f);
}

}  // namespace dialogs::testing
