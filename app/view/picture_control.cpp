#include "app/view/picture_control.h"

#include <windowsx.h>

namespace app::view {
namespace {

const wchar_t kPictureClass[] = L"HalyardViewPicture";

POINT PointOf(LPARAM lparam) { return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace

PictureControl::~PictureControl() { StopKeys(); }

LRESULT CALLBACK PictureControl::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* control = reinterpret_cast<PictureControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (control && control->picture_ == hwnd) return control->OnMessage(message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void PictureControl::Create(const ScreenRect& r) {
  static const bool registered = [this] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kPictureClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  picture_ = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top, r.width(),
                             r.height(), owner_.Window(), nullptr, instance_, this);
}

void PictureControl::StartKeys() {
  key_timers_ = std::make_unique<MultimediaKeyTimers>(owner_.Window(), kWmKeyTimer);
  CameraSteering& steering = *this;
  keyboard_ = std::make_unique<KeyboardControl>(*key_timers_, steering);
}

void PictureControl::StopKeys() {
  keyboard_.reset();
  key_timers_.reset();
}

KeyboardControl::Result PictureControl::KeyDown(int virtual_key, uint32_t time_ms) {
  if (!keyboard_) return KeyboardControl::Result::kPassOn;
  return keyboard_->KeyDown(virtual_key, time_ms, owner_.HasCamera());
}

void PictureControl::KeyTimerFired(int key, uintptr_t id) {
  if (keyboard_) keyboard_->TimerFired(key, id);
}

LRESULT PictureControl::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // While the motion settings are open, the left button draws the mask.
  if (motion_.OnMaskMouse(message, PointOf(lparam))) return 0;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(picture_, &ps);
      EndPaint(picture_, &ps);
      owner_.RedrawPicture();
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetCapture(picture_);
      dragging_ = true;
      drag_start_ = drag_end_ = PointOf(lparam);
      SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS)));
      return 0;
    case WM_MOUSEMOVE: {
      if (!dragging_) return 0;
      const POINT p = PointOf(lparam);
      RECT area;
      GetClientRect(picture_, &area);
      if (!PtInRect(&area, p)) {
        EndDrag(drag_end_, true);
        return 0;
      }
      drag_end_ = p;
      owner_.RefreshOverlay();
      return 0;
    }
    case WM_LBUTTONUP:
      if (dragging_) EndDrag(PointOf(lparam), false);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != picture_) motion_.CaptureLost();
      if (dragging_ && reinterpret_cast<HWND>(lparam) != picture_) {
        dragging_ = false;
        owner_.RefreshOverlay();
      }
      return 0;
    case WM_LBUTTONDBLCLK: {
      RECT area;
      GetClientRect(picture_, &area);
      const POINT p = PointOf(lparam);
      if (binding_.node() && owner_.HasCamera()) Send(DoubleClickGesture(p.x, p.y, area.right));
      return 0;
    }
    case WM_RBUTTONUP: {
      POINT p = PointOf(lparam);
      ClientToScreen(picture_, &p);
      owner_.ShowMenu(p);
      return 0;
    }
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wparam));
      return 0;
    default:
      return DefWindowProcW(picture_, message, wparam, lparam);
  }
}

// The button was released, or the pointer left the picture while it was
// down: a release sends what the drag means; leaving sends the steps.
void PictureControl::EndDrag(POINT end, bool left_window) {
  dragging_ = false;
  drag_end_ = end;
  ReleaseCapture();
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  RECT area;
  GetClientRect(picture_, &area);
  if (binding_.node() && owner_.HasCamera()) {
    const bool zooms = !left_window && binding_.node()->Control().ZoomsToRectangle();
    Send(DragGesture(drag_start_.x, drag_start_.y, end.x, end.y, area.right, area.bottom, zooms));
  }
  owner_.RefreshOverlay();
}

bool PictureControl::DragRectangle(RECT* r) const {
  if (!dragging_ || !binding_.node() || !owner_.HasCamera()) return false;
  if (!DragDrawsRectangle(drag_end_.x - drag_start_.x, drag_end_.y - drag_start_.y,
                          binding_.node()->Control().ZoomsToRectangle()))
    return false;
  *r = {drag_start_.x, drag_start_.y, drag_end_.x, drag_end_.y};
  return true;
}

void PictureControl::Send(const PictureGesture& gesture) {
  node::CameraControl& control = binding_.node()->Control();
  switch (gesture.kind) {
    case PictureGesture::Kind::kStep:
      control.PtzStep(gesture.pan, gesture.tilt);
      break;
    case PictureGesture::Kind::kRectangle:
      control.ZoomToRectangle(gesture.left, gesture.top, gesture.right, gesture.bottom);
      break;
    case PictureGesture::Kind::kNone:
      break;
  }
}

void PictureControl::OnWheel(int delta) {
  if (wheel_.Wheel(delta, owner_.HasCamera()))
    SetTimer(owner_.Window(), WheelZoom::kTimerId, WheelZoom::kTimerMs, nullptr);
}

bool PictureControl::OnTimer(UINT_PTR id) {
  if (id != WheelZoom::kTimerId) return false;
  KillTimer(owner_.Window(), id);
  WheelZoom::Request request;
  if (wheel_.TimerFired(owner_.HasCamera(), &request) && binding_.node())
    binding_.node()->Control().Lens(request.operation, request.speed);
  return true;
}

void PictureControl::PtzStep(int pan, int tilt) {
  if (binding_.node() && owner_.HasCamera()) binding_.node()->Control().PtzStep(pan, tilt);
}

void PictureControl::Lens(uint32_t operation, uint32_t speed) {
  if (binding_.node() && owner_.HasCamera()) binding_.node()->Control().Lens(operation, speed);
}

}  // namespace app::view
