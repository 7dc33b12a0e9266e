#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/setup_pages.h"

namespace dialogs {

CAudioSetupPage::CAudioSetupPage(HINSTANCE instance, SetupSheetState& state)
    : CCameraSetupPage(instance, IDD_AUDIO_PAGE, "Audio", state) {}

void CAudioSetupPage::Prepare() {
  AddSlider(IDC_MIKE_VOLUME, IDC_MIKE_VOLUME_TEXT, 0, 100, 10);
  AddSlider(IDC_SPEAKER_VOLUME, IDC_SPEAKER_VOLUME_TEXT, 0, 100, 10);
}

void CAudioSetupPage::Load() {
  using namespace setup;
  SetSlider(IDC_MIKE_VOLUME, GetU8(info(), kMikeVolume));
  SetSlider(IDC_SPEAKER_VOLUME, GetU8(info(), kSpeakerVolume));
  SetChecked(IDC_AUDIO_LOOPBACK, GetU8(info(), kAudioLoopback) == 1);
}

void CAudioSetupPage::Store() {
  using namespace setup;
  StoreSliderU8(IDC_MIKE_VOLUME, kMikeVolume);
  StoreSliderU8(IDC_SPEAKER_VOLUME, kSpeakerVolume);
  StoreCheckU8(IDC_AUDIO_LOOPBACK, kAudioLoopback);
}

}  // namespace dialogs
