// DisplayDriver over IDirectDraw7: the process's one DirectDraw object and
// primary surface, and each driver's own clipper (for the window renderer)
// and off-screen or overlay surface.
#include <windows.h>
#include <ddraw.h>
#include <dwmapi.h>

#include <mutex>

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

// The screen as DirectDraw sees it, shared by every driver of the process.
// Under Wine each DirectDraw object keeps surfaces the size of the whole
// screen, so an object per view cost tens of megabytes each and gigabytes
// on a wall of many cells; the primary surface is the screen itself either way.
struct SharedScreen {
  win32::ComPtr<IDirectDraw7> dd;
  win32::ComPtr<IDirectDrawSurface7> primary;  // made when a driver first asks
  // Held across setting a driver's clipper on the primary and its blit (the
  // clipper is the surface's state), and over the primary's other changes.
  std::mutex lock;

  ~SharedScreen() {
    // The surface before the object that made it.
    primary.Reset();
    dd.Reset();
  }
};

std::shared_ptr<SharedScreen> OpenSharedScreen() {
  static std::mutex opening;
  static std::weak_ptr<SharedScreen> open;
  std::lock_guard<std::mutex> hold(opening);
  if (std::shared_ptr<SharedScreen> screen = open.lock()) return screen;
  auto screen = std::make_shared<SharedScreen>();
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(screen->dd.Put()), IID_IDirectDraw7, nullptr)))
    return nullptr;
  // No window of its own: the object outlives whichever view opened it, and
  // the normal level needs none.
  if (FAILED(screen->dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL))) return nullptr;
  open = screen;
  return screen;
}

class DirectDrawDriver : public DisplayDriver {
 public:
  DirectDrawDriver(std::shared_ptr<SharedScreen> screen, HWND window) : screen_(std::move(screen)), window_(window) {}
  ~DirectDrawDriver() override {
    // Our surfaces before the object that made them.
    surface_.Reset();
    clipper_.Reset();
    screen_.reset();
  }

  bool CreatePrimary(bool clipToWindow) override {
    {
      std::lock_guard<std::mutex> hold(screen_->lock);
      if (!screen_->primary) {
        DDSURFACEDESC2 desc = Described<DDSURFACEDESC2>();
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        if (FAILED(screen_->dd->CreateSurface(&desc, screen_->primary.Put(), nullptr))) return false;
      }
      has_primary_ = true;
    }
    if (!clipToWindow) return true;
    if (FAILED(screen_->dd->CreateClipper(0, clipper_.Put(), nullptr))) return false;
    return SUCCEEDED(clipper_->SetHWnd(0, window_));
  }

  DriverCaps Caps() override {
    DDCAPS caps = Described<DDCAPS>();
    DriverCaps result;
    if (FAILED(screen_->dd->GetCaps(&caps, nullptr))) return result;
    result.bltStretch = caps.dwCaps & DDCAPS_BLTSTRETCH;
    result.bltFourcc = caps.dwCaps & DDCAPS_BLTFOURCC;
    result.overlay = caps.dwCaps & DDCAPS_OVERLAY;
    result.overlayFourcc = caps.dwCaps & DDCAPS_OVERLAYFOURCC;
    return result;
  }

  std::vector<uint32_t> FourCCCodes() override {
    DWORD count = 0;
    if (FAILED(screen_->dd->GetFourCCCodes(&count, nullptr)) || count == 0) return {};
    std::vector<DWORD> codes(count);
    if (FAILED(screen_->dd->GetFourCCCodes(&count, codes.data()))) return {};
    codes.resize(count < codes.size() ? count : codes.size());
    return std::vector<uint32_t>(codes.begin(), codes.end());
  }

  PixelFormat PrimaryFormat() override {
    DDPIXELFORMAT format = Described<DDPIXELFORMAT>();
    PixelFormat result;
    if (!has_primary_ || FAILED(screen_->primary->GetPixelFormat(&format))) return result;
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
    return SUCCEEDED(screen_->dd->CreateSurface(&desc, surface_.Put(), nullptr));
  }

  bool CreateOverlay(uint32_t fourcc, int width, int height) override {
    DDSURFACEDESC2 desc = SizedDesc(width, height);
    desc.ddsCaps.dwCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
    SetFourcc(&desc, fourcc);
    return SUCCEEDED(screen_->dd->CreateSurface(&desc, surface_.Put(), nullptr));
  }

  bool ShowOverlay(int width, int height) override {
    DDSURFACEDESC2 mode = Described<DDSURFACEDESC2>();
    if (FAILED(screen_->dd->GetDisplayMode(&mode))) return false;
    RECT source = {0, 0, width, height};
    RECT screen = {0, 0, LONG(mode.dwWidth), LONG(mode.dwHeight)};
    std::lock_guard<std::mutex> hold(screen_->lock);
    return SUCCEEDED(surface_->UpdateOverlay(&source, screen_->primary.get(), &screen, DDOVER_SHOW, nullptr));
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
    {
      std::lock_guard<std::mutex> hold(screen_->lock);
      screen_->primary->Restore();
    }
    surface_->Restore();
  }

  bool Blt(const Rect& dest) override {
    RECT target = {dest.left, dest.top, dest.right, dest.bottom};
    std::lock_guard<std::mutex> hold(screen_->lock);
    // Null detaches the last driver's clipper: unclipped, as this driver's
    // primary would have been.
    IDirectDrawSurface7* primary = screen_->primary.get();
    if (!primary || FAILED(primary->SetClipper(clipper_.get()))) return false;
    return SUCCEEDED(primary->Blt(&target, surface_.get(), nullptr, 0, nullptr));
  }

  bool Intact() override { return screen_ && has_primary_ && screen_->primary && surface_; }

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

  std::shared_ptr<SharedScreen> screen_;
  bool has_primary_ = false;  // CreatePrimary succeeded
  win32::ComPtr<IDirectDrawSurface7> surface_;
  win32::ComPtr<IDirectDrawClipper> clipper_;
  HWND window_;
};

}  // namespace

std::unique_ptr<DisplayDriver> Win32DisplaySystem::OpenDirectDraw(os::WindowHandle window) {
  std::shared_ptr<SharedScreen> screen = OpenSharedScreen();
  if (!screen) return nullptr;
  return std::make_unique<DirectDrawDriver>(std::move(screen), reinterpret_cast<HWND>(window));
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
