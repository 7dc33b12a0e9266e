// The picture area and the camera control in it: drag to pan/tilt (or to
// zoom to a rectangle), double click to centre on a point, the wheel for
// the lens, the right button for the menu; and the keyboard's steps.
#include <windowsx.h>

#include "app/view/camera_view_window.h"
#include "os/win32/monitors.h"

namespace app::view {
namespace {

const wchar_t kPictureClass[] = L"HalyardViewPicture";

void RegisterPictureClass(HINSTANCE instance) {
  static const bool registered = [instance] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PictureProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kPictureClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

POINT PointOf(LPARAM lparam) { return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<CViewWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (view && view->picture_ == hwnd) return view->OnPictureMessage(message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void CViewWindow::CreatePictureWindow() {
  RegisterPictureClass(instance());
  const ScreenRect r = LayoutFor(size_, win32::DisplayScalePercent()).picture;
  picture_ = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top, r.width(),
                             r.height(), hwnd(), nullptr, instance(), this);
}

LRESULT CViewWindow::OnPictureMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // While the motion settings are open, the left button draws the mask.
  if (OnMaskMouse(message, PointOf(lparam))) return 0;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(picture_, &ps);
      EndPaint(picture_, &ps);
      RedrawPicture();
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetCapture(picture_);
      picture_drag_ = true;
      drag_start_ = drag_end_ = PointOf(lparam);
      SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS)));
      return 0;
    case WM_MOUSEMOVE: {
      if (!picture_drag_) return 0;
      const POINT p = PointOf(lparam);
      RECT area;
      GetClientRect(picture_, &area);
      if (!PtInRect(&area, p)) {
        EndPictureDrag(drag_end_, true);
        return 0;
      }
      drag_end_ = p;
      UpdateDragOverlay();
      return 0;
    }
    case WM_LBUTTONUP:
      if (picture_drag_) EndPictureDrag(PointOf(lparam), false);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != picture_) mask_edit_.End();
      if (picture_drag_ && reinterpret_cast<HWND>(lparam) != picture_) {
        picture_drag_ = false;
        UpdateDragOverlay();
      }
      return 0;
    case WM_LBUTTONDBLCLK: {
      RECT area;
      GetClientRect(picture_, &area);
      const POINT p = PointOf(lparam);
      if (binding_.node() && HasCamera()) SendGesture(DoubleClickGesture(p.x, p.y, area.right));
      return 0;
    }
    case WM_RBUTTONUP: {
      POINT p = PointOf(lparam);
      ClientToScreen(picture_, &p);
      ShowMenu(p);
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
void CViewWindow::EndPictureDrag(POINT end, bool left_window) {
  picture_drag_ = false;
  drag_end_ = end;
  ReleaseCapture();
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  RECT area;
  GetClientRect(picture_, &area);
  if (binding_.node() && HasCamera()) {
    const bool zooms = !left_window && binding_.node()->Control().ZoomsToRectangle();
    SendGesture(DragGesture(drag_start_.x, drag_start_.y, end.x, end.y, area.right, area.bottom, zooms));
  }
  UpdateDragOverlay();
}

void CViewWindow::SendGesture(const PictureGesture& gesture) {
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

void CViewWindow::UpdateDragOverlay() { RefreshOverlay(); }

void CViewWindow::OnWheel(int delta) {
  if (wheel_.Wheel(delta, HasCamera())) SetTimer(hwnd(), WheelZoom::kTimerId, WheelZoom::kTimerMs, nullptr);
}

bool CViewWindow::OnKeyDown(int virtual_key, uint32_t time_ms) {
  // The pop-up menu's own loop steers with the same keys.
  if (!keyboard_ || menu_open_) return false;
  if (virtual_key >= '1' && virtual_key <= '9' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
    host_.SwitchLayout(virtual_key - '0');
    return true;
  }
  switch (keyboard_->KeyDown(virtual_key, time_ms, HasCamera())) {
    case KeyboardControl::Result::kPassOn:
      return false;
    case KeyboardControl::Result::kLeaveFullScreen:
      LeaveFullScreen();
      return true;
    case KeyboardControl::Result::kConsumed:
      return true;
  }
  return false;
}

void CViewWindow::PtzStep(int pan, int tilt) {
  if (binding_.node() && HasCamera()) binding_.node()->Control().PtzStep(pan, tilt);
}

void CViewWindow::Lens(uint32_t operation, uint32_t speed) {
  if (binding_.node() && HasCamera()) binding_.node()->Control().Lens(operation, speed);
}

}  // namespace app::view
