#pragma once
// A display driver that does what the test says: which DirectDraw features
// exist, which surfaces can be made, what each lock returns. It records what
// the renderers asked of it. Surfaces are plain memory, so conversions run.
#include <deque>
#include <map>
#include <memory>
#include <chrono>
#include <mutex>
#include <thread>
#include <set>
#include <vector>

#include "present/display_driver.h"

namespace present::testing {

struct FakeDisplayState {
  // What the driver offers.
  bool directDraw = true;
  bool primaryOk = true;
  DriverCaps caps{true, false, false, false};
  std::vector<uint32_t> fourccs;
  std::set<uint32_t> creatableFourccs;  // off-screen FOURCC surfaces that can be made
  PixelFormat primary{true, 32, 0xFF0000, 0xFF00, 0xFF};
  bool rgbSurfaceOk = true;
  std::set<uint32_t> creatableOverlays;
  bool showOverlayOk = true;
  std::deque<LockResult> lockScript;  // then kLocked for ever
  bool intact = true;
  os::WindowHandle visibleWindows = 0;  // every window is visible when 0
  int bltMicroseconds = 0;              // a blit takes this long (a software rasteriser)
  std::map<os::WindowHandle, Rect> windowRects;

  // What happened.
  int opened = 0, restores = 0, locks = 0, blts = 0, dibDraws = 0;
  std::vector<uint32_t> triedFourccs;
  bool lastLockWriteOnly = false;
  bool clipped = false;
  os::WindowHandle lastWindow = 0;
  Rect lastBlt;
  int lastDibWidth = 0, lastDibHeight = 0;
  DibPixels lastDibPixels = DibPixels::kBottomUp24;
  std::vector<uint8_t> lastDib;
  int overlayShownWidth = 0;
  std::vector<uint8_t> surface;
  int surfacePitch = 0;
};

class FakeDriver : public DisplayDriver {
 public:
  explicit FakeDriver(FakeDisplayState& s) : s_(s) {}
  bool CreatePrimary(bool clip) override {
    s_.clipped = clip;
    return s_.primaryOk;
  }
  DriverCaps Caps() override { return s_.caps; }
  std::vector<uint32_t> FourCCCodes() override { return s_.fourccs; }
  PixelFormat PrimaryFormat() override { return s_.primary; }
  bool CreateOffscreen(uint32_t fourcc, int width, int height) override {
    if (fourcc) s_.triedFourccs.push_back(fourcc);
    const bool ok = fourcc ? s_.creatableFourccs.count(fourcc) > 0 : s_.rgbSurfaceOk;
    if (ok) MakeSurface(width, height);
    return ok;
  }
  bool CreateOverlay(uint32_t fourcc, int width, int height) override {
    s_.triedFourccs.push_back(fourcc);
    const bool ok = s_.creatableOverlays.count(fourcc) > 0;
    if (ok) MakeSurface(width, height);
    return ok;
  }
  bool ShowOverlay(int width, int /*height*/) override {
    s_.overlayShownWidth = width;
    return s_.showOverlayOk;
  }
  LockResult Lock(bool write_only, LockedSurface* out) override {
    ++s_.locks;
    s_.lastLockWriteOnly = write_only;
    LockResult r = LockResult::kLocked;
    if (!s_.lockScript.empty()) {
      r = s_.lockScript.front();
      s_.lockScript.pop_front();
    }
    if (r == LockResult::kLocked) {
      out->bits = s_.surface.data();
      out->pitch = s_.surfacePitch;
    }
    return r;
  }
  void Unlock() override {}
  void Restore() override { ++s_.restores; }
  bool Blt(const Rect& dest) override {
    if (s_.bltMicroseconds > 0) std::this_thread::sleep_for(std::chrono::microseconds(s_.bltMicroseconds));
    ++s_.blts;
    s_.lastBlt = dest;
    return true;
  }
  bool Intact() override { return s_.intact; }

 private:
  // Room for any format: four bytes a pixel and an odd pitch.
  void MakeSurface(int width, int height) {
    s_.surfacePitch = width * 4 + 12;
    s_.surface.assign(size_t(s_.surfacePitch) * size_t(height) * 2, 0);
  }
  FakeDisplayState& s_;
};

class FakeDib : public DibOutput {
 public:
  FakeDib(FakeDisplayState& s, DibPixels pixels) : s_(s), pixels_(pixels) {}
  void Draw(const uint8_t* bits, int width, int height, int dest_width, int dest_height) override {
    ++s_.dibDraws;
    s_.lastDibWidth = dest_width;
    s_.lastDibHeight = dest_height;
    s_.lastDibPixels = pixels_;
    const int stride = pixels_ == DibPixels::kTopDown32 ? width * 4 : ((width + 1) * 3 / 4) * 4;
    s_.lastDib.assign(bits, bits + size_t(stride) * size_t(height));
  }

 private:
  FakeDisplayState& s_;
  DibPixels pixels_;
};

class FakeDisplaySystem : public DisplaySystem {
 public:
  std::unique_ptr<DisplayDriver> OpenDirectDraw(os::WindowHandle window) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++state.opened;
    state.lastWindow = window;
    if (!state.directDraw) return nullptr;
    return std::make_unique<FakeDriver>(state);
  }
  std::unique_ptr<DibOutput> OpenDib(os::WindowHandle window, DibPixels pixels) override {
    state.lastWindow = window;
    return std::make_unique<FakeDib>(state, pixels);
  }
  Rect WindowRect(os::WindowHandle window) override {
    auto it = state.windowRects.find(window);
    return it == state.windowRects.end() ? Rect{0, 0, 320, 240} : it->second;
  }
  bool WindowVisible(os::WindowHandle window) override {
    return state.visibleWindows == 0 || state.visibleWindows == window;
  }

  std::mutex mutex;
  FakeDisplayState state;
};

}  // namespace present::testing
