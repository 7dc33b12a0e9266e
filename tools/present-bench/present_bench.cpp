// Figures for the presentation devices (a program that prints, not a test):
// the converters' throughput at 640x480, plain and SSE2, and, on Windows,
// the cost of drawing one 640x480 picture through the real window renderer
// in RGB-surface mode and in DIB mode.
//   present-bench [--rounds N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "present/i420_convert.h"
#include "present/render_modes.h"

#ifdef _WIN32
#include <windows.h>

#include "present/win32/win32_display.h"
#include "present/window_renderer.h"
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480;

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Best time per call of `run` over `rounds` rounds of `calls` calls.
template <typename F>
double BestMs(int rounds, int calls, F run) {
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    const double start = NowMs();
    for (int i = 0; i < calls; ++i) run();
    best = std::min(best, (NowMs() - start) / calls);
  }
  return best;
}

std::vector<uint8_t> Picture() {
  std::vector<uint8_t> p(size_t(kWidth) * kHeight * 3 / 2);
  std::mt19937 rng(640);
  for (auto& b : p) b = uint8_t(rng());
  return p;
}

struct Converter {
  const char* name;
  present::ConvertFn fn;
  int bytesPerPixel;  // destination pitch = width * this (planar formats: 1)
};

void Row(const char* name, double ms) {
  std::printf("%-14s %8.3f ms  %8.1f Mpixel/s\n", name, ms, kWidth * double(kHeight) / ms / 1000.0);
}

void BenchConverters(int rounds) {
  const std::vector<uint8_t> src = Picture();
  std::vector<uint8_t> dst(size_t(kWidth) * kHeight * 4 + 64);
  present::ConverterTable plain, sse2;
  present::InitPlainConverters(plain);
  present::InitPlainConverters(sse2);
  const bool haveSse2 = os::DetectCpuFeatures().sse2 && present::InitSse2Converters(sse2);
  const Converter converters[] = {
      {"YV12", present::ConvertToYV12, 1},      {"YUY2", present::ConvertToYUY2, 2},
      {"UYVY", present::ConvertToUYVY, 2},      {"YVU9", present::ConvertToYVU9, 1},
      {"RGB565", present::ConvertToRgb565, 2},  {"RGB555", present::ConvertToRgb555, 2},
      {"RGB32 plain", plain.rgb32, 4},          {"DIB plain", plain.dib, 3},
      {"RGB32 SSE2", haveSse2 ? sse2.rgb32 : nullptr, 4}, {"DIB SSE2", haveSse2 ? sse2.dib : nullptr, 3},
  };
  std::printf("converters, %dx%d, best of %d rounds:\n", kWidth, kHeight, rounds);
  for (const Converter& c : converters) {
    if (!c.fn) {
      std::printf("%-14s (no SSE2 on this processor)\n", c.name);
      continue;
    }
    const int pitch = kWidth * c.bytesPerPixel;
    Row(c.name, BestMs(rounds, 50, [&] { c.fn(src.data(), dst.data(), kWidth, kHeight, pitch); }));
  }
}

#ifdef _WIN32
LRESULT CALLBACK QuietProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void BenchRenderer(int rounds) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = QuietProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PresentBench";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"present-bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                              nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) {
    std::printf("window renderer: no window (no display?)\n");
    return;
  }
  PumpMessages();
  std::vector<uint8_t> bytes = Picture();
  codec::DecodedPicture picture;
  picture.data = bytes.data();
  picture.width = kWidth;
  picture.height = kHeight;
  present::Win32DisplaySystem system;
  present::WindowRenderer renderer(system);
  std::printf("window renderer, one %dx%d picture into a %dx%d window:\n", kWidth, kHeight, kWidth, kHeight);
  struct Mode {
    const char* name;
    uint32_t options;
  };
  for (const Mode& m : {Mode{"options 7", present::WindowRenderer::kAllOptions},
                        Mode{"forced DIB", present::WindowRenderer::kRequireStretch},
                        Mode{"no DirectDraw", present::WindowRenderer::kDrawThroughGdi}}) {
    renderer.Initialise(reinterpret_cast<os::WindowHandle>(hwnd), kWidth, kHeight, m.options);
    const double ms = BestMs(rounds, 30, [&] {
      renderer.Draw(picture, nullptr, false, 0);
      GdiFlush();
    });
    std::printf("%-14s %8.3f ms  (%s mode)\n", m.name, ms, present::ModeName(renderer.Mode()).c_str());
    PumpMessages();
  }
  renderer.Close();
  DestroyWindow(hwnd);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  int rounds = 7;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: present-bench [--rounds N]\n");
      return 2;
    }
  }
  BenchConverters(rounds);
#ifdef _WIN32
  BenchRenderer(rounds);
#endif
  return 0;
}
