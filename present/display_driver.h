#pragma once
// The narrow seam under the renderers: what they ask of DirectDraw 7, of
// DrawDib and of the window system. The decisions (which FOURCC, which RGB
// mode, when to give up on DirectDraw, lost-surface counting) stay in the
// renderers, so a fake driver tests them; the Win32 implementation is in
// win32/.
#include <cstdint>
#include <memory>
#include <vector>

#include "os/window_seam.h"
#include "present/render_modes.h"

namespace present {

struct DriverCaps {
  bool bltStretch = false;     // DDCAPS_BLTSTRETCH
  bool bltFourcc = false;      // DDCAPS_BLTFOURCC
  bool overlay = false;        // DDCAPS_OVERLAY
  bool overlayFourcc = false;  // DDCAPS_OVERLAYFOURCC
};

struct PixelFormat {
  bool rgb = false;  // DDPF_RGB
  uint32_t bits = 0;
  uint32_t red = 0, green = 0, blue = 0;  // channel masks
};

enum class LockResult { kLocked, kSurfaceLost, kFailed };

struct LockedSurface {
  uint8_t* bits = nullptr;
  int pitch = 0;
};

// A DirectDraw object (created with DirectDrawCreateEx, cooperative level
// DDSCL_NORMAL), its primary surface and at most one working surface, the
// off-screen surface of the window renderer or the overlay of the overlay
// renderer. The real drivers of one process share the object and the
// primary; the working surface and the clipper are the driver's own and
// are released when it is destroyed.
class DisplayDriver {
 public:
  virtual ~DisplayDriver() = default;
  // The primary surface; with clipToWindow a clipper attached to the window
  // the driver was opened for is set on it.
  virtual bool CreatePrimary(bool clipToWindow) = 0;
  virtual DriverCaps Caps() = 0;
  virtual std::vector<uint32_t> FourCCCodes() = 0;
  virtual PixelFormat PrimaryFormat() = 0;
  // Off-screen surface of the picture size: in video memory with `fourcc`,
  // or (fourcc 0) a plain surface in the primary's pixel format.
  virtual bool CreateOffscreen(uint32_t fourcc, int width, int height) = 0;
  // Overlay surface (overlay caps, video memory) with `fourcc`.
  virtual bool CreateOverlay(uint32_t fourcc, int width, int height) = 0;
  // Shows the overlay's (0, 0, width, height) across the whole display mode.
  virtual bool ShowOverlay(int width, int height) = 0;
  virtual LockResult Lock(bool writeOnly, LockedSurface* out) = 0;
  virtual void Unlock() = 0;
  // Restores the primary and the working surface after a loss.
  virtual void Restore() = 0;
  // The whole working surface onto the primary at `dest` (screen
  // coordinates), stretched; the clipper keeps it inside the window.
  virtual bool Blt(const Rect& dest) = 0;
  // False once the driver's objects are gone.
  virtual bool Intact() = 0;
};

// How the pixels handed to a DibOutput are laid out.
enum class DibPixels {
  // 24-bit B, G, R, rows DWORD-aligned, the picture's top row last: the DIB
  // fallback, drawn with DrawDib, or StretchDIBits when DrawDibOpen gave no
  // handle.
  kBottomUp24,
  // 32-bit B, G, R, X, the top row first: drawn with SetDIBitsToDevice at
  // the picture's own size and StretchDIBits otherwise, without DrawDib.
  kTopDown32,
};

// Pictures drawn through GDI onto a window's DC.
class DibOutput {
 public:
  virtual ~DibOutput() = default;
  // One picture in the layout the output was opened for, stretched onto
  // (0, 0, destWidth, destHeight) of the window's DC.
  virtual void Draw(const uint8_t* bits, int width, int height, int destWidth, int destHeight) = 0;
};

class DisplaySystem {
 public:
  virtual ~DisplaySystem() = default;
  // DirectDrawCreateEx and SetCooperativeLevel (window, or none for 0); null
  // when DirectDraw is not there.
  virtual std::unique_ptr<DisplayDriver> OpenDirectDraw(os::WindowHandle window) = 0;
  virtual std::unique_ptr<DibOutput> OpenDib(os::WindowHandle window, DibPixels pixels) = 0;
  // GetWindowRect: the window in screen coordinates.
  virtual Rect WindowRect(os::WindowHandle window) = 0;
  // Whether any of the window shows on the screen: false while it is
  // hidden, its top-level window minimised, or other windows cover it whole.
  virtual bool WindowVisible(os::WindowHandle window) = 0;
};

}  // namespace present
