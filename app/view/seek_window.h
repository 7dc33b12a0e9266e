#pragma once
// The seek window (skin "\SeekSlider.skn"): a slim bar with a slider over
// a stored file that plays in a camera view, a close button that hides it,
// and below the slider the position and the length as times. The slider
// follows the playback positions; while the user holds it, the time shows
// where its release will seek; releasing it asks the hosting server to
// restart the file at the slider's share of its length.
// The view that plays the file owns the window and feeds it its positions.
#include <windows.h>

#include <string>

#include "dialogs/win32/skinned_dialog.h"
#include "node/link/camera_control.h"
#include "record/seek_slider_state.h"

namespace app::view {

class CSeekWindow : public dialogs::CSkinnedDialog {
 public:
  static constexpr int kSliderId = 1041;
  static constexpr int kCloseId = 32778;
  static constexpr int kTimeId = 1042;
  static constexpr UINT_PTR kHoldTimer = 1;

  CSeekWindow(HINSTANCE instance, std::string program_dir, node::CameraControl& control);
  ~CSeekWindow() override;

  // Shows the window at `at` (screen) for the file playing on `channel`.
  void Open(HWND owner, POINT at, uint32_t channel, uint64_t length, uint64_t position);
  // A playback position from the view.
  void OnPosition(uint64_t position);
  int SliderPosition() const;
  // The time line as shown, "00:12:31 / 01:00:00".
  std::string TimeText() const;
  const record::SeekSliderState& state() const { return state_; }

 protected:
  BOOL OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override {}
  void OnCancel() override { ShowWindow(hwnd(), SW_HIDE); }

 private:
  void ShowSlider(int value);
  void ShowTime();
  void PlaceTime();
  void OnScroll(int code);

  node::CameraControl& control_;
  record::SeekSliderState state_;
  HBRUSH body_brush_ = nullptr;  // the skin's background behind the time
};

}  // namespace app::view
