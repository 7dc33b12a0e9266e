// The motion settings of a view: the dialog beside it, the grid over the
// picture while it is open, and the mask drawn with the mouse.
#include "app/view/camera_view_window.h"

namespace app::view {

void CViewWindow::OpenMotionSettings() {
  if (motion_settings_ && motion_settings_->result() == -1) {
    SetForegroundWindow(motion_settings_->hwnd());
    return;
  }
  motion_settings_.reset();
  motion_opened_ = motion_;
  MotionSettingsEditor& editor = *this;
  motion_settings_ = std::make_unique<CMotionSettingsDialog>(instance(), editor, motion_,
                                                             [this](const settings::TextId& id) { return Text(id); });
  if (!motion_settings_->Create(hwnd())) {
    motion_settings_.reset();
    return;
  }
  // Beside the view, on the side where the screen has room, so the picture stays free to draw on.
  RECT frame, dialog;
  GetWindowRect(hwnd(), &frame);
  GetWindowRect(motion_settings_->hwnd(), &dialog);
  const int width = dialog.right - dialog.left;
  const int left = frame.right + width <= GetSystemMetrics(SM_CXSCREEN) ? frame.right : frame.left - width;
  SetWindowPos(motion_settings_->hwnd(), nullptr, left, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(motion_settings_->hwnd(), SW_SHOW);
  // The cells show also while detection is off, so a user sees what would fire before switching it on.
  binding_.media()->path().motion().SetMotionPreview(true);
  RefreshOverlay();
}

void CViewWindow::PreviewMotionSettings(const MotionSettings& settings) {
  motion_ = settings;
  ApplyMotionSettings();
}

// Called from inside the dialog's own handler: the dialog object is let go
// once that handler has returned.
void CViewWindow::EndMotionSettings(bool keep) {
  if (keep)
    RememberMotionSettings(CameraId(), motion_);
  else
    motion_ = motion_opened_;
  if (mask_edit_.active() && GetCapture() == picture_) ReleaseCapture();
  mask_edit_.End();
  binding_.media()->path().motion().SetMotionPreview(false);
  ApplyMotionSettings();
  PostMessageW(hwnd(), kWmMotionSettingsEnded, 0, 0);
}

// The detector takes the settings at once whether it is on or off, so
// switching it on later uses them too.
void CViewWindow::ApplyMotionSettings() {
  binding_.media()->path().motion().SetMotionDetection(binding_.media()->path().motion().MotionDetectionOn(), motion_.sensitivity, motion_.mask);
  binding_.media()->path().motion().SetMotionRules(motion_.min_cells, motion_.min_duration_ms);
  RefreshOverlay();
}

bool CViewWindow::OnMaskMouse(UINT message, POINT at) {
  if (!motion_settings_ || motion_settings_->result() != -1) return false;
  if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK && message != WM_MOUSEMOVE && message != WM_LBUTTONUP)
    return false;
  RECT area;
  GetClientRect(picture_, &area);
  const int cell = MaskCellAt(at.x, at.y, area.right, area.bottom);
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
    SetCapture(picture_);
    mask_edit_.Begin(motion_.mask, cell);
  }
  if (!mask_edit_.active()) return true;
  motion_.mask = mask_edit_.DragTo(cell);
  motion_settings_->SetMask(motion_.mask);
  ApplyMotionSettings();
  if (message == WM_LBUTTONUP) {
    mask_edit_.End();
    if (GetCapture() == picture_) ReleaseCapture();
  }
  return true;
}

}  // namespace app::view
