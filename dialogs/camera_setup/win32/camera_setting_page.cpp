#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/setup_pages.h"

namespace dialogs {
namespace {

enum EncodeMode { kNormal = 0, kIntraOnly = 1, kBitrateControl = 2 };

}  // namespace

CCameraSettingPage::CCameraSettingPage(HINSTANCE instance, SetupSheetState& state)
    : CCameraSetupPage(instance, IDD_CAMERA_SETTING, "Video", state) {}

void CCameraSettingPage::Prepare() {
  AddSlider(IDC_INTRA_PERIOD, IDC_INTRA_PERIOD_TEXT, 10, 50, 5);
  AddSlider(IDC_INTRA_QP, IDC_INTRA_QP_TEXT, 0, 31, 5);
  AddSlider(IDC_INTER_QP, IDC_INTER_QP_TEXT, 0, 31, 5);
  AddSlider(IDC_FPS, IDC_FPS_TEXT, 1, 30, 5);
  FillList(IDC_RESOLUTION, {"QCIF (176X144)", "SIF   (320X240)", "VGA  (640X480)"});
  FillList(IDC_ENCODE_MODE, {"Normal", "Intra Only", "Bitrate Control"});
  FillList(IDC_BITRATE, {"128Kbps", "256Kbps", "512Kbps", "1 Mbps"});
}

void CCameraSettingPage::Load() {
  using namespace setup;
  SetChecked(IDC_MOTION_ENABLE, GetU8(info(), kMotionDetection) != 0);
  SelectEntry(IDC_RESOLUTION, ResolutionIndex(GetU8(info(), kResolution)).value_or(-1));
  SelectEntry(IDC_ENCODE_MODE, GetU8(info(), kEncodeMode));
  SelectEntry(IDC_BITRATE, BitrateIndex(GetU16(info(), kBitrate)));
  SetSlider(IDC_INTRA_PERIOD, GetU8(info(), kIntraPeriod));
  SetSlider(IDC_INTRA_QP, GetU8(info(), kIntraQp));
  SetSlider(IDC_INTER_QP, GetU8(info(), kInterQp));
  SetSlider(IDC_FPS, GetU8(info(), kFramesPerSecond));
  EnableByEncodeMode();
}

void CCameraSettingPage::Store() {
  using namespace setup;
  StoreCheckU8(IDC_MOTION_ENABLE, kMotionDetection);
  if (Changed(IDC_RESOLUTION)) {
    if (auto code = ResolutionCode(SelectedEntry(IDC_RESOLUTION))) PutU8(info(), kResolution, *code);
  }
  if (Changed(IDC_ENCODE_MODE) && SelectedEntry(IDC_ENCODE_MODE) >= 0)
    PutU8(info(), kEncodeMode, static_cast<uint8_t>(SelectedEntry(IDC_ENCODE_MODE)));
  if (Changed(IDC_BITRATE) && SelectedEntry(IDC_BITRATE) >= 0)
    PutU16(info(), kBitrate, BitrateValue(SelectedEntry(IDC_BITRATE)));
  StoreSliderU8(IDC_INTRA_PERIOD, kIntraPeriod);
  StoreSliderU8(IDC_INTRA_QP, kIntraQp);
  StoreSliderU8(IDC_INTER_QP, kInterQp);
  StoreSliderU8(IDC_FPS, kFramesPerSecond);
}

bool CCameraSettingPage::OnCommand(int id, int code, HWND control) {
  if (id == IDC_ENCODE_MODE && code == CBN_SELCHANGE) {
    EnableByEncodeMode();
    return true;
  }
  return CCameraSetupPage::OnCommand(id, code, control);
}

void CCameraSettingPage::EnableByEncodeMode() {
  const int mode = SelectedEntry(IDC_ENCODE_MODE);
  EnableItem(IDC_BITRATE, mode != kNormal && mode != kIntraOnly);
  EnableItem(IDC_INTRA_PERIOD, mode != kIntraOnly);
  EnableItem(IDC_INTER_QP, mode != kIntraOnly);
  EnableItem(IDC_INTRA_QP, true);
}

}  // namespace dialogs
