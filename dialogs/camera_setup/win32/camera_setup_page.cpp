#include "dialogs/camera_setup/win32/camera_setup_page.h"

#include <commctrl.h>

#include "os/win32/text.h"
#include "settings/win32/ini_handler.h"

namespace dialogs {

CCameraSetupPage::CCameraSetupPage(HINSTANCE instance, int template_id, const char* title, SetupSheetState& state)
    : win32::CPropertyPageBase(instance, template_id, title), state_(state) {}

BOOL CCameraSetupPage::OnInitDialog() {
  settings::IniHandler::Instance().ApplyFont(hwnd());
  Prepare();
  opened_ = true;
  Load();
  Snapshot();
  return TRUE;
}

bool CCameraSetupPage::OnNotify(NMHDR* header, LRESULT* result) {
  // Sent before the page is left for another and before APPLY: a refused
  // value keeps the user on the page, and nothing is sent.
  if (header->code == PSN_KILLACTIVE) {
    *result = opened_ && !Validate() ? TRUE : FALSE;
    return true;
  }
  if (header->code == PSN_APPLY) {
    if (opened_) Store();
    state_.applied = true;
    *result = PSNRET_NOERROR;
    return true;
  }
  return win32::CPropertyPageBase::OnNotify(header, result);
}

INT_PTR CCameraSetupPage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if ((message == WM_HSCROLL || message == WM_VSCROLL) && lparam) {
    ShowSliderValue(GetDlgCtrlID(reinterpret_cast<HWND>(lparam)));
    return TRUE;
  }
  return win32::CPropertyPageBase::HandleMessage(message, wparam, lparam);
}

void CCameraSetupPage::Snapshot() {
  snapshot_.clear();
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    if (id > 0) snapshot_[id] = ControlState(child);
  }
}

bool CCameraSetupPage::Changed(int id) const {
  auto it = snapshot_.find(id);
  return it == snapshot_.end() || it->second != ControlState(Item(id));
}

std::string CCameraSetupPage::ControlState(HWND control) const {
  wchar_t cls[32] = {};
  GetClassNameW(control, cls, 32);
  if (lstrcmpiW(cls, TRACKBAR_CLASSW) == 0) return std::to_string(SendMessageW(control, TBM_GETPOS, 0, 0));
  if (lstrcmpiW(cls, WC_BUTTONW) == 0) return std::to_string(SendMessageW(control, BM_GETCHECK, 0, 0));
  if (lstrcmpiW(cls, WC_COMBOBOXW) == 0) return std::to_string(SendMessageW(control, CB_GETCURSEL, 0, 0));
  if (lstrcmpiW(cls, WC_LISTVIEWW) == 0) return std::to_string(ListView_GetNextItem(control, -1, LVNI_SELECTED));
  if (lstrcmpiW(cls, WC_IPADDRESSW) == 0) {
    DWORD address = 0;
    LRESULT filled = SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return std::to_string(filled) + ":" + std::to_string(address);
  }
  return ItemText(GetDlgCtrlID(control));
}

void CCameraSetupPage::CheckNumber(int id, const char* name, uint32_t low, uint32_t high) {
  checks_.push_back({id, name, false, low, high});
}

void CCameraSetupPage::CheckAddress(int id, const char* name) { checks_.push_back({id, name, true, 0, 0}); }

bool CCameraSetupPage::Validate() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  for (const FieldCheck& c : checks_) {
    HWND control = Item(c.id);
    if (!control || !IsWindowEnabled(control) || !Changed(c.id)) continue;
    if (c.address) {
      DWORD address = 0;
      if (SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)) == 4) continue;
      ini.ShowMessage(settings::text::kSetupErrorAddress, {std::string(c.name)});
    } else {
      if (setup::ParseFieldNumber(ItemText(c.id), c.low, c.high)) continue;
      ini.ShowMessage(settings::text::kSetupErrorNumber,
                      {std::string(c.name), static_cast<long long>(c.low), static_cast<long long>(c.high)});
    }
    SetFocus(control);
    return false;
  }
  return true;
}

void CCameraSetupPage::AddSlider(int slider, int display, int low, int high, int page_size) {
  HWND bar = Item(slider);
  SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
  SendMessageW(bar, TBM_SETPAGESIZE, 0, page_size);
  sliders_.push_back({slider, display});
  ShowSliderValue(slider);
}

void CCameraSetupPage::SetSlider(int slider, int value) {
  SendDlgItemMessageW(hwnd(), slider, TBM_SETPOS, TRUE, value);
  ShowSliderValue(slider);
}

int CCameraSetupPage::Slider(int slider) const {
  return static_cast<int>(SendDlgItemMessageW(hwnd(), slider, TBM_GETPOS, 0, 0));
}

void CCameraSetupPage::ShowSliderValue(int slider) {
  for (const SliderDisplay& s : sliders_)
    if (s.slider == slider) SetNumber(s.display, static_cast<uint32_t>(Slider(slider)));
}

void CCameraSetupPage::FillList(int combo, const std::vector<const char*>& entries) {
  HWND list = Item(combo);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const char* entry : entries) {
    std::wstring text = win32::Widen(entry);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

void CCameraSetupPage::SelectEntry(int combo, int index) {
  const LRESULT count = SendDlgItemMessageW(hwnd(), combo, CB_GETCOUNT, 0, 0);
  SendDlgItemMessageW(hwnd(), combo, CB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
}

int CCameraSetupPage::SelectedEntry(int combo) const {
  return static_cast<int>(SendDlgItemMessageW(hwnd(), combo, CB_GETCURSEL, 0, 0));
}

void CCameraSetupPage::StoreSliderU8(int slider, uint32_t offset) {
  if (Changed(slider)) setup::PutU8(info(), offset, static_cast<uint8_t>(Slider(slider)));
}

void CCameraSetupPage::StoreCheckU8(int id, uint32_t offset) {
  if (Changed(id)) setup::PutU8(info(), offset, IsChecked(id) ? 1 : 0);
}

void CCameraSetupPage::StoreNumberU8(int id, uint32_t offset) {
  if (Changed(id)) setup::PutU8(info(), offset, static_cast<uint8_t>(Number(id, 255)));
}

void CCameraSetupPage::StoreNumberU16(int id, uint32_t offset) {
  if (Changed(id)) setup::PutU16(info(), offset, static_cast<uint16_t>(Number(id, 65535)));
}

void CCameraSetupPage::LoadText(int id, uint32_t offset, size_t width) {
  std::string text = setup::GetFieldText(info(), offset, width);
  // A camera's field without its NUL shows what a typed text could hold.
  if (text.size() > width - 1) text.resize(width - 1);
  SetItemText(id, text);
  LimitText(id, static_cast<int>(width - 1));
}

void CCameraSetupPage::StoreText(int id, uint32_t offset, size_t width) {
  if (Changed(id)) setup::PutFieldText(info(), offset, width, ItemText(id));
}

}  // namespace dialogs
