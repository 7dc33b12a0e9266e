#include "dialogs/preset/win32/preset_number_dialog.h"

#include "dialogs/camera_setup/setup_fields.h"
#include "dialogs/preset/win32/preset_resource.h"
#include "os/win32/text.h"
#include "settings/text_table.h"
#include "settings/win32/ini_handler.h"

namespace dialogs {
namespace {

// More digits than any maximum has, so that typing past it is answered with
// the message instead of being silently stopped.
constexpr int kNumberDigits = 6;

}  // namespace

CPresetNumberDialog::CPresetNumberDialog(HINSTANCE instance, int maximum, int number)
    : win32::CDialogBase(instance, IDD_PRESET_NUMBER), maximum_(maximum), number_(number) {}

BOOL CPresetNumberDialog::OnInitDialog() {
  settings::IniHandler& ini = settings::IniHandler::Instance();
  ini.ApplyFont(hwnd());
  SetWindowTextW(hwnd(), win32::Widen(ini.GetString(settings::text::kPresetNumberCaption)).c_str());
  SetItemText(IDOK, ini.GetString(settings::text::kPresetNumberOk));
  SetItemText(IDC_PRESET_NUMBER, std::to_string(number_));
  LimitText(IDC_PRESET_NUMBER, kNumberDigits);
  SendDlgItemMessageW(hwnd(), IDC_PRESET_NUMBER, EM_SETSEL, 0, -1);
  SetFocus(Item(IDC_PRESET_NUMBER));
  return FALSE;  // the focus is set
}

void CPresetNumberDialog::OnOK() {
  const int number = static_cast<int>(setup::ParseBoundedNumber(ItemText(IDC_PRESET_NUMBER), 999999));
  if (number < 1 || number > maximum_) {
    settings::IniHandler::Instance().ShowMessage(settings::text::kPresetErrorOverMaxNum,
                                                 {static_cast<long long>(maximum_)});
    SetFocus(Item(IDC_PRESET_NUMBER));
    return;
  }
  number_ = number;
  End(IDOK);
}

}  // namespace dialogs
