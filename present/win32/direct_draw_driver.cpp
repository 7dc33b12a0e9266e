// DisplayDriver over IDirectDraw7: a primary surface (clipped to the window
// for the window renderer) and one off-screen or overlay surface.
#include <windows.h>
#include <ddraw.h>
#include <dwmapi.h>

#include "os/win32/com_ptr.h"
#include "present/win32/win32_display.h"

namespace present {

namespace {

template <typename T>
T Described() {
  T value{};
  value.dwSize = sizeof value;
  return value;
}

class DirectDrawDriver : public DisplayDriver {
 public:
  DirectDrawDriver(win32::ComPtr<IDirectDraw7> dd, HWND window) : dd_(std::move(dd)), window_(window) {}
  ~DirectDrawDriver() override {
    // Surfaces before the object that made them.
    surface_.Reset();
    primary_.Reset();
    clipper_.Reset();
    dd_.Reset();
  }

  bool CreatePrimary(bool clipToWindow) override {
    DDSURFACEDESC2 desc = Described<DDSURFACEDESC2>();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(dd_->CreateSurface(&desc, primary_.Put(), nullptr))) return false;
    if (!clipToWindow) return true;
    if (FAILED(dd_->CreateClipper(0, clipper_.Put(), nullptr))) return false;
    return SUCCEEDED(clipper_->SetHWnd(0, window_)) && SUCCEEDED(primary_->SetClipper(clipper_.get()));
  }

  DriverCaps Caps() override {
    DDCAPS caps = Described<DDCAPS>();
    DriverCaps result;
    if (FAILED(dd_->GetCaps(&caps, nullptr))) return result;
    result.bltStretch = caps.dwCaps & DDCAPS_BLTSTRETCH;
    result.bltFourcc = caps.dwCaps & DDCAPS_BLTFOURCC;
    result.overlay = caps.dwCaps & DDCAPS_OVERLAY;
    result.overlayFourcc = caps.dwCaps & DDCAPS_OVERLAYFOURCC;
    return result;
  }

  std::vector<uint32_t> FourCCCodes() override {
    DWORD count = 0;
    if (FAILED(dd_->GetFourCCCodes(&count, nullptr)) || count == 0) return {};
    std::vector<DWORD> codes(count);
    if (FAILED(dd_->GetFourCCCodes(&count, codes.data()))) return {};
    codes.resize(count < codes.size() ? count : codes.size());
    return std::vector<uint32_t>(codes.begin(), codes.end());
  }

  PixelFormat PrimaryFormat() override {
    DDPIXELFORMAT format = Described<DDPIXELFORMAT>();
    PixelFormat result;
    if (!primary_ || FAILED(primary_->GetPixelFormat(&format))) return result;
    result.rgb = format.dwFlags & DDPF_RGB;
    result.bits = format.dwRGBBitCount;
    result.red = format.dwRBitMask;
    result.green = format.dwGBitMask;
    result.blue = format.dwBBitMask;
    return result;
  }

  bool CreateOffscreen(uint32_t fourcc, int width, int height) override {
    DDSURFACEDESC2 desc = SizedDesc(width, height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (fourcc != 0) {
      desc.ddsCaps.dwCaps |= DDSCAPS_VIDEOMEMORY;
      SetFourcc(&desc, fourcc);
    }
    return SUCCEEDED(dd_->CreateSurface(&desc, surface_.Put(), nullptr));
  }

  bool CreateOverlay(uint32_t fourcc, int width, int height) override {
    DDSURFACEDESC2 desc = SizedDesc(width, height);
    desc.ddsCaps.dwCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
    SetFourcc(&desc, fourcc);
    return SUCCEEDED(dd_->CreateSurface(&desc, surface_.Put(), nullptr));
  }

  bool ShowOverlay(int width, int height) override {
    DDSURFACEDESC2 mode = Described<DDSURFACEDESC2>();
    if (FAILED(dd_->GetDisplayMode(&mode))) return false;
    RECT source = {0, 0, width, height};
    RECT screen = {0, 0, LONG(mode.dwWidth), LONG(mode.dwHeight)};
    return SUCCEEDED(surface_->UpdateOverlay(&source, primary_.get(), &screen, DDOVER_SHOW, nullptr));
  }

  LockResult Lock(bool writeOnly, LockedSurface* out) override {
    DDSURFACEDESC2 desc = Described<DDSURFACEDESC2>();
    const HRESULT hr = surface_->Lock(nullptr, &desc, writeOnly ? DDLOCK_WRITEONLY : 0, nullptr);
    if (hr == DDERR_SURFACELOST) return LockResult::kSurfaceLost;
    if (FAILED(hr) || !desc.lpSurface) return LockResult::kFailed;
    out->bits = static_cast<uint8_t*>(desc.lpSurface);
    out->pitch = int(desc.lPitch);
    return LockResult::kLocked;
  }

  void Unlock() override { surface_->Unlock(nullptr); }

  void Restore() override {
    primary_->Restore();
    surface_->Restore();
  }

  bool Blt(const Rect& dest) override {
    RECT target = {dest.left, dest.top, dest.right, dest.bottom};
    return SUCCEEDED(primary_->Blt(&target, surface_.get(), nullptr, 0, nullptr));
  }

  bool Intact() override { return dd_ && primary_ && surface_; }

 private:
  static DDSURFACEDESC2 SizedDesc(int width, int height) {
    DDSURFACEDESC2 desc = Described<DDSURFACEDESC2>();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    return desc;
  }
  static void SetFourcc(DDSURFACEDESC2* desc, uint32_t fourcc) {
    desc->dwFlags |= DDSD_PIXELFORMAT;
    desc->ddpfPixelFormat.dwSize = sizeof desc->ddpfPixelFormat;
    desc->ddpfPixelFormat.dwFlags = DDPF_FOURCC;
    desc->ddpfPixelFormat.dwFourCC = fourcc;
  }

  win32::ComPtr<IDirectDraw7> dd_;
  win32::ComPtr<IDirectDrawSurface7> primary_;
  win32::ComPtr<IDirectDrawSurface7> surface_;
  win32::ComPtr<IDirectDrawClipper> clipper_;
  HWND window_;
};

}  // namespace

std::unique_ptr<DisplayDriver> Win32DisplaySystem::OpenDirectDraw(os::WindowHandle window) {
  win32::ComPtr<IDirectDraw7> dd;
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(dd.Put()), IID_IDirectDraw7, nullptr)))
    return nullptr;
  HWND hwnd = reinterpret_cast<HWND>(window);
  if (FAILED(dd->SetCooperativeLevel(hwnd, DDSCL_NORMAL))) return nullptr;
  return std::make_unique<DirectDrawDriver>(std::move(dd), hwnd);
}

Rect Win32DisplaySystem::WindowRect(os::WindowHandle window) {
  RECT r = {};
  GetWindowRect(reinterpret_cast<HWND>(window), &r);
  return Rect{r.left, r.top, r.right, r.bottom};
}

namespace {

// A window above that hides what is under it: shown, not minimised, not
// see-through, and not on another virtual desktop (cloaked).
bool Hides(HWND window) {
  if (!IsWindowVisible(window) || IsIconic(window)) return false;
  if ((GetWindowLongW(window, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) != 0) return false;
  DWORD cloaked = 0;
  return FAILED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) || cloaked == 0;
}

}  // namespace

bool Win32DisplaySystem::WindowVisible(os::WindowHandle window) {
  HWND hwnd = reinterpret_cast<HWND>(window);
  HWND root = GetAncestor(hwnd, GA_ROOT);
  if (!IsWindowVisible(hwnd) || IsIconic(root)) return false;
  // What is left of it once the top-level windows above its own are taken away.
  RECT mine{};
  GetWindowRect(hwnd, &mine);
  HRGN left = CreateRectRgnIndirect(&mine);
  if (!left) return true;
  int region = SIMPLEREGION;
  for (HWND above = GetWindow(root, GW_HWNDPREV); above && region != NULLREGION; above = GetWindow(above, GW_HWNDPREV)) {
    if (!Hides(above)) continue;
    RECT r{};
    GetWindowRect(above, &r);
    HRGN cover = CreateRectRgnIndirect(&r);
    if (!cover) break;
    region = CombineRgn(left, left, cover, RGN_DIFF);
    DeleteObject(cover);
  }
  DeleteObject(left);
  return region != NULLREGION;
}

}  // namespace present
