#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/setup_pages.h"

namespace dialogs {

CChannelSettingPage::CChannelSettingPage(HINSTANCE instance, SetupSheetState& state)
    : CCameraSetupPage(instance, IDD_CHANNEL_PAGE, "Channel", state) {}

void CChannelSettingPage::Prepare() {
  AddSlider(IDC_CHANNEL_PERIOD, IDC_CHANNEL_PERIOD_TEXT, 1, 60, 5);
  FillList(IDC_VIDEO_CHANNEL, {"internal video", "external video"});
}

void CChannelSettingPage::Load() {
  using namespace setup;
  SetNumber(IDC_SUPPORTED_CHANNELS, GetU8(info(), kSupportedChannels));
  // The stored 255 is list index 4, which the list does not offer: nothing
  // is selected and the 255 goes back unchanged.
  SelectEntry(IDC_VIDEO_CHANNEL, VideoChannelIndex(GetU8(info(), kVideoChannel)));
  SetSlider(IDC_CHANNEL_PERIOD, GetU8(info(), kChannelPeriod));
}

void CChannelSettingPage::Store() {
  using namespace setup;
  if (Changed(IDC_VIDEO_CHANNEL) && SelectedEntry(IDC_VIDEO_CHANNEL) >= 0)
    PutU8(info(), kVideoChannel, VideoChannelValue(SelectedEntry(IDC_VIDEO_CHANNEL)));
  StoreSliderU8(IDC_CHANNEL_PERIOD, kChannelPeriod);
}

}  // namespace dialogs
