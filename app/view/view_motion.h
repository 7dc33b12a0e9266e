#pragma once
// A view's motion detection: on and off with the camera's remembered
// sensitivity, mask and rules; recording on motion into a folder
// remembered per camera; and "Motion Settings…", the dialog beside the
// view, with the detector's grid over the picture and the mask drawn with
// the mouse while it is open. On the view's thread.
#include <windows.h>

#include <memory>
#include <string>

#include "app/view/camera_binding.h"
#include "app/view/file_chooser.h"
#include "app/view/motion_mask.h"
#include "app/view/motion_settings_dialog.h"
#include "app/view_host.h"

namespace app::view {

// Posted to the view when the motion settings have ended: the dialog is
// let go outside its own handler.
constexpr UINT kWmMotionSettingsEnded = WM_APP + 8;

// What the motion room asks of its view.
class ViewMotionOwner {
 public:
  virtual ~ViewMotionOwner() = default;
  // The view's frame: the dialog's owner, posted kWmMotionSettingsEnded.
  virtual HWND Window() const = 0;
  // The picture area the mask is drawn on.
  virtual HWND PictureWindow() const = 0;
  virtual std::string CameraId() const = 0;
  // The overlay shows the grid, the changing cells and the mask while the settings are open.
  virtual void RefreshOverlay() = 0;
};

class ViewMotion : private MotionSettingsEditor {
 public:
  ViewMotion(HINSTANCE instance, CameraBinding& binding, const ViewRequest& request, FileChooser& chooser,
             ViewMotionOwner& owner);
  ~ViewMotion() override;
  ViewMotion(const ViewMotion&) = delete;
  ViewMotion& operator=(const ViewMotion&) = delete;

  // Once the camera has identified itself (not for a file): its remembered
  // settings, detection and recording on motion.
  void TakeRemembered();
  // On or off; a motion that lasts keeps its amber frame until it ends.
  void SetDetection(bool on);
  // The menu's "Motion Detection", remembered for the camera.
  void ToggleDetection();
  // The menu's "Record on Motion".
  void ToggleRecording();
  void OpenSettings();
  // kWmMotionSettingsEnded: the ended dialog goes.
  void SettingsEnded();
  // The view closes.
  void CloseSettings() { dialog_.reset(); }
  // The settings are open: the mouse edits the mask, the overlay shows the grid.
  bool Editing() const { return dialog_ && dialog_->result() == -1; }
  // Mask edits by mouse while the settings are open; true when consumed.
  bool OnMaskMouse(UINT message, POINT at);
  // The picture area lost the mouse capture.
  void CaptureLost() { mask_edit_.End(); }
  const MotionSettings& settings() const { return motion_; }
  // While open; else null.
  CMotionSettingsDialog* dialog() const { return dialog_.get(); }

 private:
  // MotionSettingsEditor
  void PreviewMotionSettings(const MotionSettings& settings) override;
  void EndMotionSettings(bool keep) override;

  void Apply();
  void StartRecording(const std::string& folder);

  HINSTANCE instance_;
  CameraBinding& binding_;
  const ViewRequest& request_;
  FileChooser& chooser_;
  ViewMotionOwner& owner_;
  std::unique_ptr<CMotionSettingsDialog> dialog_;
  MotionSettings motion_;         // what the detector runs with
  MotionSettings motion_opened_;  // what the open settings go back to on Cancel
  MaskEdit mask_edit_;
  bool remembered_taken_ = false;
};

}  // namespace app::view
