#pragma once
// The seven pages of the camera setup sheet, in their order on the sheet.
// Each edits its own fields of the sheet's record (see setup_fields.h).
#include <array>
#include <optional>
#include <vector>

#include "dialogs/camera_setup/win32/camera_setup_page.h"
#include "settings/win32/device_catalogue.h"

namespace dialogs {

// "Video": motion detection, resolution, encode mode, bitrate, intra period,
// quantisers and frame rate.
class CCameraSettingPage : public CCameraSetupPage {
 public:
  CCameraSettingPage(HINSTANCE instance, SetupSheetState& state);

 protected:
  void Prepare() override;
  void Load() override;
  void Store() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  // Which of bitrate, intra period and the quantisers the encode mode uses.
  void EnableByEncodeMode();
};

// "Channel": supported channels, video channel and switching period.
class CChannelSettingPage : public CCameraSetupPage {
 public:
  CChannelSettingPage(HINSTANCE instance, SetupSheetState& state);

 protected:
  void Prepare() override;
  void Load() override;
  void Store() override;
};

// "Audio": microphone and speaker volumes, loopback.
class CAudioSetupPage : public CCameraSetupPage {
 public:
  CAudioSetupPage(HINSTANCE instance, SetupSheetState& state);

 protected:
  void Prepare() override;
  void Load() override;
  void Store() override;
};

// "Color": intensity, contrast, hue and saturation.
class CColorControlPage : public CCameraSetupPage {
 public:
  CColorControlPage(HINSTANCE instance, SetupSheetState& state);

 protected:
  void Prepare() override;
  void Load() override;
  void Store() override;
  bool OnCommand(int id, int code, HWND control) override;
};

// "Pantilt": the pan/tilt device module and its control ID of each of the
// four channels, chosen from the settings file's device catalogue.
class CCameraDeviceSetPage : public CCameraSetupPage {
 public:
  CCameraDeviceSetPage(HINSTANCE instance, SetupSheetState& state);
  int channel() const { return channel_; }

 protected:
  void Prepare() override;
  void Load() override;
  void Store() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT* result) override;

 private:
  struct Slot {
    uint32_t code = 0;
    uint8_t control_id = 0;
  };
  void ChangeChannel(int channel);
  void ShowChannel(int channel);
  // The slot of the channel on show takes what the user chose for it, if anything.
  void TakeChannel();
  void ShowDevices(int vendor);
  std::optional<int> SelectedDeviceCode() const;

  std::vector<settings::PanTiltVendor> catalogue_;
  std::array<Slot, setup::kPanTiltChannels> slots_{};
  int channel_ = 0;
  int devices_of_ = -1;  // the vendor whose devices the device list shows
  bool filling_ = false;
  // What the controls showed when the channel was put on them.
  std::optional<int> shown_code_;
  std::string shown_control_id_;
};

// "Sensor": the sensor, and its SMS and e-mail notifications.
class CCameraSensorPage : public CCameraSetupPage {
 public:
  CCameraSensorPage(HINSTANCE instance, SetupSheetState& state);

 protected:
  void Prepare() override;
  void Load() override;
  void Store() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void EnableByBoxes();
};

// "Server": the camera's port, its host and DDNS servers, port forwarding.
class CCameraServerPage : public CCameraSetupPage {
 public:
  CCameraServerPage(HINSTANCE instance, SetupSheetState& state);

 protected:
  void Load() override;
  void Store() override;
  bool OnCommand(int id, int code, HWND control) override;
};

}  // namespace dialogs
