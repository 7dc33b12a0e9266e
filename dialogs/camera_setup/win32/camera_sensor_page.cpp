#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/setup_pages.h"

namespace dialogs {
namespace {

struct TextField {
  int id;
  uint32_t offset;
  size_t width;
};
constexpr TextField kTexts[] = {
    {IDC_PRIMARY_PHONE, setup::kPrimaryPhone, setup::kPhoneWidth},
    {IDC_SECOND_PHONE, setup::kSecondPhone, setup::kPhoneWidth},
    {IDC_SMS_FROM, setup::kSmsFromNumber, setup::kPhoneWidth},
    {IDC_SMS_MESSAGE, setup::kSmsMessage, setup::kSmsMessageWidth},
    {IDC_MAIL_TO, setup::kMailTo, setup::kMailAddressWidth},
    {IDC_MAIL_FROM, setup::kMailFrom, setup::kMailAddressWidth},
    {IDC_MAIL_MESSAGE, setup::kMailMessage, setup::kMailMessageWidth},
};

constexpr int kSensorFields[] = {IDC_SENSOR_TYPE, IDC_SENSOR_INTERVAL};
constexpr int kSmsFields[] = {IDC_PRIMARY_PHONE, IDC_SECOND_PHONE, IDC_SMS_FROM, IDC_SMS_MESSAGE};
constexpr int kMailFields[] = {IDC_MAIL_TO, IDC_MAIL_FROM, IDC_MAIL_MESSAGE, IDC_ATTACH_VIDEO};

}  // namespace

CCameraSensorPage::CCameraSensorPage(HINSTANCE instance, SetupSheetState& state)
    : CCameraSetupPage(instance, IDD_SENSOR_PAGE, "Sensor", state) {}

void CCameraSensorPage::Prepare() {
  FillList(IDC_SENSOR_TYPE, {"Motion Sensor", "Heat Sensor", "Smog Sensor"});
  LimitText(IDC_SENSOR_INTERVAL, 3);
  CheckNumber(IDC_SENSOR_INTERVAL, "Sensor Interval", 0, 255);
}

void CCameraSensorPage::Load() {
  using namespace setup;
  SelectEntry(IDC_SENSOR_TYPE, GetU8(info(), kSensorType));
  SetChecked(IDC_SENSOR_ON, GetU8(info(), kSensorOn) == 1);
  SetNumber(IDC_SENSOR_INTERVAL, GetU8(info(), kSensorInterval));
  const SensorNotify notify = NotifyFromByte(GetU8(info(), kSensorNotify));
  SetChecked(IDC_USE_SMS, notify.sms);
  SetChecked(IDC_USE_MAIL, notify.email);
  SetChecked(IDC_ATTACH_VIDEO, GetU8(info(), kAttachVideo) == 1);
  for (const TextField& t : kTexts) LoadText(t.id, t.offset, t.width);
  EnableByBoxes();
}

void CCameraSensorPage::Store() {
  using namespace setup;
  if (Changed(IDC_SENSOR_TYPE) && SelectedEntry(IDC_SENSOR_TYPE) >= 0)
    PutU8(info(), kSensorType, static_cast<uint8_t>(SelectedEntry(IDC_SENSOR_TYPE)));
  StoreCheckU8(IDC_SENSOR_ON, kSensorOn);
  StoreNumberU8(IDC_SENSOR_INTERVAL, kSensorInterval);
  if (Changed(IDC_USE_SMS) || Changed(IDC_USE_MAIL))
    PutU8(info(), kSensorNotify, NotifyByte({IsChecked(IDC_USE_SMS), IsChecked(IDC_USE_MAIL)}));
  StoreCheckU8(IDC_ATTACH_VIDEO, kAttachVideo);
  for (const TextField& t : kTexts) StoreText(t.id, t.offset, t.width);
}

bool CCameraSensorPage::OnCommand(int id, int code, HWND control) {
  if ((id == IDC_SENSOR_ON || id == IDC_USE_SMS || id == IDC_USE_MAIL) && code == BN_CLICKED) {
    EnableByBoxes();
    return true;
  }
  return CCameraSetupPage::OnCommand(id, code, control);
}

void CCameraSensorPage::EnableByBoxes() {
  for (int id : kSensorFields) EnableItem(id, IsChecked(IDC_SENSOR_ON));
  for (int id : kSmsFields) EnableItem(id, IsChecked(IDC_USE_SMS));
  for (int id : kMailFields) EnableItem(id, IsChecked(IDC_USE_MAIL));
}

}  // namespace dialogs
