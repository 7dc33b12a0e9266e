#include "dialogs/camera_setup/win32/camera_setup_resource.h"
#include "dialogs/camera_setup/win32/setup_pages.h"

#include <commctrl.h>
#include "os/win32/list_view.h"
#include "settings/text_table.h"
#include "settings/win32/ini_handler.h"

namespace dialogs {
namespace {

// Where a device code sits in the catalogue: the first vendor and device with it.
struct CataloguePlace {
  int vendor = -1;
  int device = -1;
};

CataloguePlace FindCode(const std::vector<settings::PanTiltVendor>& catalogue, uint32_t code) {
  for (size_t v = 0; v < catalogue.size(); ++v)
    for (size_t d = 0; d < catalogue[v].devices.size(); ++d)
      if (static_cast<uint32_t>(catalogue[v].devices[d].code) == code) return {static_cast<int>(v), static_cast<int>(d)};
  return {};
}

}  // namespace

CCameraDeviceSetPage::CCameraDeviceSetPage(HINSTANCE instance, SetupSheetState& state)
    : CCameraSetupPage(instance, IDD_PANTILT_PAGE, "Pantilt", state) {}

void CCameraDeviceSetPage::Prepare() {
  catalogue_ = settings::ReadPanTiltCatalogue(settings::IniHandler::Instance());
  win32::ListView vendors(Item(IDC_PTZ_VENDOR)), devices(Item(IDC_PTZ_DEVICE));
  vendors.SetFullRowSelect();
  devices.SetFullRowSelect();
  vendors.AddColumn("Vendor", 150);
  devices.AddColumn("Device", 200);
  filling_ = true;
  for (const settings::PanTiltVendor& vendor : catalogue_) vendors.AddRow({vendor.name});
  filling_ = false;
  FillList(IDC_PTZ_CHANNEL, {"Channel 1", "Channel 2", "Channel 3", "Channel 4"});
  LimitText(IDC_PTZ_CONTROL_ID, 3);
  CheckNumber(IDC_PTZ_CONTROL_ID, "Control ID", 0, 255);
}

void CCameraDeviceSetPage::Load() {
  for (int i = 0; i < setup::kPanTiltChannels; ++i) {
    slots_[static_cast<size_t>(i)].code = setup::GetU32(info(), setup::kPanTiltDevices + 4 * static_cast<uint32_t>(i));
    slots_[static_cast<size_t>(i)].control_id = setup::GetU8(info(), setup::kPanTiltControlIds + static_cast<uint32_t>(i));
  }
  SelectEntry(IDC_PTZ_CHANNEL, 0);
  ShowChannel(0);
}

void CCameraDeviceSetPage::Store() {
  TakeChannel();
  // Slots the user never touched hold the camera's own values: writing them
  // back changes nothing.
  for (int i = 0; i < setup::kPanTiltChannels; ++i) {
    setup::PutU32(info(), setup::kPanTiltDevices + 4 * static_cast<uint32_t>(i), slots_[static_cast<size_t>(i)].code);
    setup::PutU8(info(), setup::kPanTiltControlIds + static_cast<uint32_t>(i), slots_[static_cast<size_t>(i)].control_id);
  }
}

bool CCameraDeviceSetPage::OnCommand(int id, int code, HWND control) {
  if (id == IDC_PTZ_CHANNEL && code == CBN_SELCHANGE) {
    ChangeChannel(SelectedEntry(IDC_PTZ_CHANNEL));
    return true;
  }
  return CCameraSetupPage::OnCommand(id, code, control);
}

bool CCameraDeviceSetPage::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->idFrom == IDC_PTZ_VENDOR && header->code == LVN_ITEMCHANGED && !filling_) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) ShowDevices(change->iItem);
    *result = 0;
    return true;
  }
  return CCameraSetupPage::OnNotify(header, result);
}

void CCameraDeviceSetPage::ChangeChannel(int channel) {
  if (channel < 0 || channel == channel_) return;
  if (!SelectedDeviceCode()) {
    settings::IniHandler::Instance().ShowMessage(settings::text::kDeviceErrorNoPtzDevice);
    SelectEntry(IDC_PTZ_CHANNEL, channel_);
    return;
  }
  // The channel on show keeps the user until its control ID is one.
  if (!Validate()) {
    SelectEntry(IDC_PTZ_CHANNEL, channel_);
    return;
  }
  TakeChannel();
  channel_ = channel;
  ShowChannel(channel);
}

void CCameraDeviceSetPage::ShowChannel(int channel) {
  const Slot& slot = slots_[static_cast<size_t>(channel)];
  const CataloguePlace place = FindCode(catalogue_, slot.code);
  win32::ListView vendors(Item(IDC_PTZ_VENDOR));
  filling_ = true;
  vendors.Select(place.vendor);
  filling_ = false;
  ShowDevices(place.vendor);
  win32::ListView(Item(IDC_PTZ_DEVICE)).Select(place.device);
  SetNumber(IDC_PTZ_CONTROL_ID, slot.control_id);
  shown_code_ = SelectedDeviceCode();
  shown_control_id_ = ItemText(IDC_PTZ_CONTROL_ID);
}

void CCameraDeviceSetPage::TakeChannel() {
  const std::optional<int> code = SelectedDeviceCode();
  const std::string control_id = ItemText(IDC_PTZ_CONTROL_ID);
  if (code == shown_code_ && control_id == shown_control_id_) return;
  Slot& slot = slots_[static_cast<size_t>(channel_)];
  slot.code = static_cast<uint32_t>(code.value_or(0));
  slot.control_id = static_cast<uint8_t>(setup::ParseBoundedNumber(control_id, 255));
  shown_code_ = code;
  shown_control_id_ = control_id;
}

void CCameraDeviceSetPage::ShowDevices(int vendor) {
  win32::ListView devices(Item(IDC_PTZ_DEVICE));
  devices.Clear();
  devices_of_ = vendor;
  if (vendor < 0 || vendor >= static_cast<int>(catalogue_.size())) return;
  for (const settings::PanTiltDevice& device : catalogue_[static_cast<size_t>(vendor)].devices)
    devices.AddRow({device.name});
}

std::optional<int> CCameraDeviceSetPage::SelectedDeviceCode() const {
  const int row = win32::ListView(Item(IDC_PTZ_DEVICE)).SelectedRow();
  if (row < 0 || devices_of_ < 0 || devices_of_ >= static_cast<int>(catalogue_.size())) return std::nullopt;
  const auto& devices = catalogue_[static_cast<size_t>(devices_of_)].devices;
  if (row >= static_cast<int>(devices.size())) return std::nullopt;
  return devices[static_cast<size_t>(row)].code;
}

}  // namespace dialogs
