#pragma once
// The view's picture area and the camera control in it: drag to pan/tilt
// (or to zoom to a rectangle), double click to centre on a point, the wheel
// for the lens, the right button for the menu; and the held keys' steps.
// The media worker draws into the area; while the motion settings are open
// the left button draws their mask instead. On the view's thread, except
// the key timers, which only post kWmKeyTimer to the view.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/view/camera_binding.h"
#include "app/view/keyboard_control.h"
#include "app/view/multimedia_key_timers.h"
#include "app/view/picture_gestures.h"
#include "app/view/view_layout.h"
#include "app/view/view_motion.h"
#include "app/view/wheel_zoom.h"

namespace app::view {

constexpr UINT kWmKeyTimer = WM_APP + 3;  // wParam held key, lParam timer id

// What the picture area asks of its view.
class PictureControlOwner {
 public:
  virtual ~PictureControlOwner() = default;
  // The frame: the area's parent, the wheel timer's and the key timers' target.
  virtual HWND Window() const = 0;
  virtual bool HasCamera() const = 0;
  virtual void ShowMenu(POINT screen) = 0;
  // The drag's rectangle changed.
  virtual void RefreshOverlay() = 0;
  // The area needs its picture again.
  virtual void RedrawPicture() = 0;
};

class PictureControl : private CameraSteering {
 public:
  PictureControl(HINSTANCE instance, CameraBinding& binding, ViewMotion& motion, PictureControlOwner& owner)
      : instance_(instance), binding_(binding), motion_(motion), owner_(owner) {}
  ~PictureControl() override;
  PictureControl(const PictureControl&) = delete;
  PictureControl& operator=(const PictureControl&) = delete;

  // The area, a child of the frame at `r`.
  void Create(const ScreenRect& r);
  HWND hwnd() const { return picture_; }
  // The held keys steer from here until StopKeys (before the frame goes).
  void StartKeys();
  void StopKeys();
  bool KeysStarted() const { return keyboard_ != nullptr; }
  // One key-down message; kPassOn before StartKeys.
  KeyboardControl::Result KeyDown(int virtual_key, uint32_t time_ms);
  // kWmKeyTimer.
  void KeyTimerFired(int key, uintptr_t id);
  // A wheel message over the frame or the picture.
  void OnWheel(int delta);
  // A timer of the frame fired; true when it was the wheel's.
  bool OnTimer(UINT_PTR id);
  // Whether the drag so far draws a rectangle over the picture, and where
  // (picture-area pixels, from where it began to where it is).
  bool DragRectangle(RECT* r) const;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void EndDrag(POINT end, bool left_window);
  // What a drag or a double click asks of the camera, sent.
  void Send(const PictureGesture& gesture);
  // CameraSteering: the held keys' steps.
  void PtzStep(int pan, int tilt) override;
  void Lens(uint32_t operation, uint32_t speed) override;

  HINSTANCE instance_;
  CameraBinding& binding_;
  ViewMotion& motion_;
  PictureControlOwner& owner_;
  HWND picture_ = nullptr;
  // A drag in the picture (camera control), in picture-area pixels.
  bool dragging_ = false;
  POINT drag_start_ = {}, drag_end_ = {};
  WheelZoom wheel_;
  std::unique_ptr<MultimediaKeyTimers> key_timers_;
  std::unique_ptr<KeyboardControl> keyboard_;
};

}  // namespace app::view
