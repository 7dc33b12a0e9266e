#include "os/win32/tests/win32_test_rig.h"

#include <algorithm>
#include <cstdio>

#include "os/clock.h"
#include "os/win32/handles.h"
#include "os/win32/text.h"

namespace win32::testing {

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  const uint64_t end = os::MonotonicMs() + static_cast<uint64_t>(ms);
  for (;;) {
    // Messages that keep coming (many views drawing) must not keep the
    // condition and the deadline from being looked at.
    MSG msg;
    bool had = false;
    for (int n = 0; n < 64 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      had = true;
    }
    if (done()) return true;
    if (os::MonotonicMs() >= end) return false;
    if (!had) Sleep(5);
  }
}

std::string WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return Narrow(text);
}

void SetText(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, Widen(text).c_str()); }

void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Toggle(HWND dialog, int id) {
  CheckDlgButton(dialog, id, IsDlgButtonChecked(dialog, id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  Click(dialog, id);
}

void Choose(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

ModalDriver* ModalDriver::instance_ = nullptr;

ModalDriver::ModalDriver(bool owned_only) : owned_only_(owned_only) {
  instance_ = this;
  for (HWND h : Dialogs()) known_.insert(h);
  timer_ = SetTimer(nullptr, 0, 20, &ModalDriver::Tick);
}

ModalDriver::ModalDriver(std::function<bool()> step) : step_(std::move(step)) {
  instance_ = this;
  timer_ = SetTimer(nullptr, 0, 50, &ModalDriver::Tick);
}

ModalDriver::~ModalDriver() {
  KillTimer(nullptr, timer_);
  instance_ = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  ModalDriver* self = instance_;
  if (!self || self->busy_) return;
  self->busy_ = true;
  if (self->step_) {
    if (self->step_()) self->step_ = nullptr;
  } else {
    self->NextDialog();
  }
  self->busy_ = false;
}

void ModalDriver::NextDialog() {
  if (actions_.empty()) return;
  for (HWND h : Dialogs()) {
    if (known_.count(h)) continue;
    // Modal windows disable their owner; a modeless one beside it is not waited for.
    HWND owner = GetWindow(h, GW_OWNER);
    if (owned_only_ && (!owner || IsWindowEnabled(owner))) continue;
    known_.insert(h);
    Action action = std::move(actions_.front());
    actions_.pop_front();
    ++handled_;
    action(h);
    return;
  }
}

namespace {
// A callback of its own: a lambda does not convert to the 32-bit stdcall type.
BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM out) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> ModalDriver::Dialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

ScreenPicture CaptureScreen(const RECT& r) {
  ScreenPicture s;
  s.width = r.right - r.left;
  s.height = r.bottom - r.top;
  if (s.width <= 0 || s.height <= 0) return s;
  WindowDc screen(nullptr);
  MemoryDc memory(screen.get());
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = s.width;
  info.bmiHeader.biHeight = -s.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  GdiObject<HBITMAP> bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap.get()) return s;
  {
    SelectedObject selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, s.width, s.height, screen.get(), r.left, r.top, SRCCOPY);
  }
  GdiFlush();
  const uint32_t* p = static_cast<const uint32_t*>(bits);
  s.pixels.assign(p, p + size_t(s.width) * size_t(s.height));
  return s;
}

bool SaveBmp(const ScreenPicture& picture, const std::string& path) {
  if (picture.pixels.empty()) return false;
  const size_t stride = (size_t(picture.width) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> rows(stride * size_t(picture.height), 0);
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* out = &rows[size_t(picture.height - 1 - y) * stride];  // a BMP is stored bottom-up
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.At(x, y);
      out[3 * x] = uint8_t(p);
      out[3 * x + 1] = uint8_t(p >> 8);
      out[3 * x + 2] = uint8_t(p >> 16);
    }
  }
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = picture.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + rows.size());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&info, sizeof info, 1, f) == 1 &&
            std::fwrite(rows.data(), 1, rows.size(), f) == rows.size();
  return std::fclose(f) == 0 && ok;
}

bool SaveWindowShot(HWND hwnd, const std::string& dir, const std::string& name, int margin) {
  if (!hwnd) return false;
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(400);
  RECT r = WindowRect(hwnd);
  r.left = std::max<LONG>(0, r.left - margin);
  r.top = std::max<LONG>(0, r.top - margin);
  r.right = std::min<LONG>(GetSystemMetrics(SM_CXSCREEN), r.right + margin);
  r.bottom = std::min<LONG>(GetSystemMetrics(SM_CYSCREEN), r.bottom + margin);
  return SaveBmp(CaptureScreen(r), dir + "/" + name + ".bmp");
}

}  // namespace win32::testing
