#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/setup_pages.h"

namespace dialogs {
namespace {

struct ColourControl {
  int slider;
  int display;
  uint32_t offset;
};
constexpr ColourControl kColours[] = {
    {IDC_INTENSITY, IDC_INTENSITY_TEXT, setup::kIntensity},
    {IDC_CONTRAST, IDC_CONTRAST_TEXT, setup::kContrast},
    {IDC_HUE, IDC_HUE_TEXT, setup::kHue},
    {IDC_SATURATION, IDC_SATURATION_TEXT, setup::kSaturation},
};
constexpr int kDefaultColour = 128;

}  // namespace

CColorControlPage::CColorControlPage(HINSTANCE instance, SetupSheetState& state)
    : CCameraSetupPage(instance, IDD_COLOR_PAGE, "Color", state) {}

void CColorControlPage::Prepare() {
  for (const ColourControl& c : kColours) AddSlider(c.slider, c.display, 1, 255, 10);
}

void CColorControlPage::Load() {
  for (const ColourControl& c : kColours) SetSlider(c.slider, setup::ColourSetting(setup::GetU16(info(), c.offset)));
}

void CColorControlPage::Store() {
  for (const ColourControl& c : kColours)
    if (Changed(c.slider)) setup::PutU16(info(), c.offset, setup::ColourValue(Slider(c.slider)));
}

bool CColorControlPage::OnCommand(int id, int code, HWND control) {
  if (id == IDC_RESUME_DEFAULT && code == BN_CLICKED) {
    for (const ColourControl& c : kColours) SetSlider(c.slider, kDefaultColour);
    return true;
  }
  return CCameraSetupPage::OnCommand(id, code, control);
}

}  // namespace dialogs
