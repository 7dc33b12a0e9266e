#include "app/view/view_motion.h"

#include "app/view/registry_motion.h"
#include "app/view/view_recording.h"
#include "settings/win32/ini_handler.h"

namespace app::view {

ViewMotion::ViewMotion(HINSTANCE instance, CameraBinding& binding, const ViewRequest& request, FileChooser& chooser,
                       ViewMotionOwner& owner)
    : instance_(instance), binding_(binding), request_(request), chooser_(chooser), owner_(owner) {}

ViewMotion::~ViewMotion() = default;

void ViewMotion::TakeRemembered() {
  if (remembered_taken_) return;
  remembered_taken_ = true;
  const std::string camera = owner_.CameraId();
  motion_ = MotionSettingsRemembered(camera);
  SetDetection(MotionDetectionRemembered(camera));
  const std::string folder = MotionRecordingRemembered(camera);
  if (!folder.empty()) StartRecording(folder);
}

void ViewMotion::SetDetection(bool on) {
  binding_.media()->path().motion().SetMotionDetection(on, motion_.sensitivity, motion_.mask);
  binding_.media()->path().motion().SetMotionRules(motion_.min_cells, motion_.min_duration_ms);
  if (!on && binding_.video()) binding_.video()->SetMotion(false);
  owner_.RefreshOverlay();
}

void ViewMotion::ToggleDetection() {
  SetDetection(!binding_.media()->path().motion().MotionDetectionOn());
  RememberMotionDetection(owner_.CameraId(), binding_.media()->path().motion().MotionDetectionOn());
}

// Record on motion: into the --record folder, else the folder of the last
// recording, else one the user chooses (by naming a file in it); remembered
// per camera with its folder. Detection comes on with it.
void ViewMotion::ToggleRecording() {
  node::MotionRecorder& motion = binding_.media()->motion_recorder();
  const std::string camera = owner_.CameraId();
  if (motion.Enabled()) {
    motion.Configure(false, std::string(), camera);
    RememberMotionRecording(camera, std::string());
    return;
  }
  std::string folder = FolderOf(request_.record_path);
  if (folder.empty()) folder = LastRecordingFolder();
  std::string chosen;
  if (folder.empty() && chooser_.ChooseRecording(owner_.Window(), &chosen)) folder = FolderOf(chosen);
  if (folder.empty()) return;
  StartRecording(folder);
  RememberMotionDetection(camera, true);
  RememberMotionRecording(camera, folder);
}

void ViewMotion::StartRecording(const std::string& folder) {
  binding_.media()->motion_recorder().Configure(true, folder, owner_.CameraId());
  if (!binding_.media()->path().motion().MotionDetectionOn()) SetDetection(true);
}

void ViewMotion::OpenSettings() {
  if (Editing()) {
    SetForegroundWindow(dialog_->hwnd());
    return;
  }
  dialog_.reset();
  motion_opened_ = motion_;
  MotionSettingsEditor& editor = *this;
  dialog_ = std::make_unique<CMotionSettingsDialog>(
      instance_, editor, motion_,
      [](const settings::TextId& id) { return settings::IniHandler::Instance().GetString(id); });
  const HWND view = owner_.Window();
  if (!dialog_->Create(view)) {
    dialog_.reset();
    return;
  }
  // Beside the view, on the side where the screen has room, so the picture stays free to draw on.
  RECT frame, dialog;
  GetWindowRect(view, &frame);
  GetWindowRect(dialog_->hwnd(), &dialog);
  const int width = dialog.right - dialog.left;
  const int left = frame.right + width <= GetSystemMetrics(SM_CXSCREEN) ? frame.right : frame.left - width;
  SetWindowPos(dialog_->hwnd(), nullptr, left, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(dialog_->hwnd(), SW_SHOW);
  // The cells show also while detection is off, so a user sees what would fire before switching it on.
  binding_.media()->path().motion().SetMotionPreview(true);
  owner_.RefreshOverlay();
}

void ViewMotion::SettingsEnded() {
  if (dialog_ && dialog_->result() != -1) dialog_.reset();
  owner_.RefreshOverlay();
}

void ViewMotion::PreviewMotionSettings(const MotionSettings& settings) {
  motion_ = settings;
  Apply();
}

// Called from inside the dialog's own handler: the dialog object is let go
// once that handler has returned.
void ViewMotion::EndMotionSettings(bool keep) {
  if (keep)
    RememberMotionSettings(owner_.CameraId(), motion_);
  else
    motion_ = motion_opened_;
  if (mask_edit_.active() && GetCapture() == owner_.PictureWindow()) ReleaseCapture();
  mask_edit_.End();
  binding_.media()->path().motion().SetMotionPreview(false);
  Apply();
  PostMessageW(owner_.Window(), kWmMotionSettingsEnded, 0, 0);
}

// The detector takes the settings at once whether it is on or off, so
// switching it on later uses them too.
void ViewMotion::Apply() {
  binding_.media()->path().motion().SetMotionDetection(binding_.media()->path().motion().MotionDetectionOn(), motion_.sensitivity,
                                              motion_.mask);
  binding_.media()->path().motion().SetMotionRules(motion_.min_cells, motion_.min_duration_ms);
  owner_.RefreshOverlay();
}

bool ViewMotion::OnMaskMouse(UINT message, POINT at) {
  if (!Editing()) return false;
  if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK && message != WM_MOUSEMOVE && message != WM_LBUTTONUP)
    return false;
  const HWND picture = owner_.PictureWindow();
  RECT area;
  GetClientRect(picture, &area);
  const int cell = MaskCellAt(at.x, at.y, area.right, area.bottom);
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
    SetCapture(picture);
    mask_edit_.Begin(motion_.mask, cell);
  }
  if (!mask_edit_.active()) return true;
  motion_.mask = mask_edit_.DragTo(cell);
  dialog_->SetMask(motion_.mask);
  Apply();
  if (message == WM_LBUTTONUP) {
    mask_edit_.End();
    if (GetCapture() == picture) ReleaseCapture();
  }
  return true;
}

}  // namespace app::view
